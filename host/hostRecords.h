// Records exchanged with the host by address. The host fixes their byte layout; the
// plugin allocates them, zero-initialised, and reads or writes only the fields named here.
#pragma once

#include <cstddef>
#include <cstdint>

// Header of the VTC linked to the current VMR. The plugin reads the number of volumes,
// writes the protocol's file name, and hands every other byte back as the host filled it.
struct VtcHeader {
    unsigned char hostBytesBeforeVolumes[4];
    std::int32_t numberOfVolumes;
    unsigned char hostBytesBeforeProtocolName[316];
    char protocolName[524];
};

// The protocol attached to the linked VTC, as the host copies it out.
struct ProtocolRecord {
    std::int32_t numberOfConditions;
    char protocolFileName[261];
    char experimentName[303];
    std::int32_t timeResolution;  // 1: intervals in volumes; anything else: milliseconds
    std::int32_t backgroundColor;
    std::int32_t textColor;
    std::int32_t timeCourseColor;
    std::int32_t timeCoursePenThickness;
    std::int32_t referenceTimeCourseColor;
    std::int32_t referenceTimeCoursePenThickness;
};

// One condition of that protocol. The interval arrays stay the host's.
struct ProtocolConditionRecord {
    char conditionName[256];
    std::int32_t numberOfIntervals;
    std::int32_t reserved0;
    std::int32_t* intervalStarts;
    std::int32_t* intervalEnds;
    std::int32_t conditionColor;
    std::int32_t reserved1;
};

static_assert(sizeof(VtcHeader) == 848);
static_assert(offsetof(VtcHeader, numberOfVolumes) == 4);
static_assert(offsetof(VtcHeader, protocolName) == 324);

static_assert(sizeof(ProtocolRecord) == 596);
static_assert(offsetof(ProtocolRecord, protocolFileName) == 4);
static_assert(offsetof(ProtocolRecord, experimentName) == 265);
static_assert(offsetof(ProtocolRecord, timeResolution) == 568);
static_assert(offsetof(ProtocolRecord, backgroundColor) == 572);
static_assert(offsetof(ProtocolRecord, textColor) == 576);
static_assert(offsetof(ProtocolRecord, timeCourseColor) == 580);
static_assert(offsetof(ProtocolRecord, timeCoursePenThickness) == 584);
static_assert(offsetof(ProtocolRecord, referenceTimeCourseColor) == 588);
static_assert(offsetof(ProtocolRecord, referenceTimeCoursePenThickness) == 592);

// The host is a 64-bit program; the condition record holds two 8-byte addresses.
static_assert(sizeof(void*) == 8, "the host's records are laid out for a 64-bit process");
static_assert(sizeof(ProtocolConditionRecord) == 288);
static_assert(offsetof(ProtocolConditionRecord, numberOfIntervals) == 256);
static_assert(offsetof(ProtocolConditionRecord, intervalStarts) == 264);
static_assert(offsetof(ProtocolConditionRecord, intervalEnds) == 272);
static_assert(offsetof(ProtocolConditionRecord, conditionColor) == 280);
