// The records the plugin hands to the host by address, laid out byte for byte as the host
// fixes them. The headless host keeps its own definitions: it shares no code with the module.
#pragma once

#include <cstddef>
#include <cstdint>

namespace morvane {

// Header of the linked VTC as the host shows it to a plugin. Only the number of volumes and
// the protocol name are part of the contract; the other leading fields are this host's
// summary of the file and are ignored when the record comes back.
struct VtcHeader {
    std::int16_t fileVersion;
    std::int16_t dataType;  // 1: 16-bit integers, 2: 32-bit floats
    std::int32_t numberOfVolumes;
    std::int32_t resolution;
    std::int32_t xStart, xEnd, yStart, yEnd, zStart, zEnd;
    float repetitionTimeMs;
    std::uint8_t leftRightConvention;
    std::uint8_t referenceSpace;
    unsigned char reserved[282];
    char protocolName[524];  // NUL-terminated file name of the protocol, no folder
};

struct ProtocolRecord {
    std::int32_t numberOfConditions;
    char protocolFileName[261];
    char experimentName[303];
    std::int32_t timeResolution;  // 1: volumes, 2: milliseconds
    std::int32_t backgroundColor;
    std::int32_t textColor;
    std::int32_t timeCourseColor;
    std::int32_t timeCoursePenThickness;
    std::int32_t referenceTimeCourseColor;
    std::int32_t referenceTimeCoursePenThickness;
};

// The interval arrays stay the host's: they live as long as the protocol stays attached.
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
static_assert(offsetof(VtcHeader, repetitionTimeMs) == 36);
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

static_assert(sizeof(void*) == 8, "the host's records are laid out for a 64-bit process");
static_assert(sizeof(ProtocolConditionRecord) == 288);
static_assert(offsetof(ProtocolConditionRecord, numberOfIntervals) == 256);
static_assert(offsetof(ProtocolConditionRecord, intervalStarts) == 264);
static_assert(offsetof(ProtocolConditionRecord, intervalEnds) == 272);
static_assert(offsetof(ProtocolConditionRecord, conditionColor) == 280);

}  // namespace morvane
