// Built with MinGW only: the plugin's table laid out as Microsoft's compiler lays it out,
// checked against the class's own exported members, and slot 0's flags.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <type_traits>

#include "platform/windowsApi.h"

#include "plugin/pluginExports.h"
#include "plugin/quorvel.h"

namespace {

int freeCount = 0;
void* lastFreed = nullptr;

}  // namespace

// Every allocation of this program goes through these, so a test sees what slot 0 frees.
void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

namespace {

void release(void* memory) {
    if (memory != nullptr) {
        ++freeCount;
        lastFreed = memory;
    }
    std::free(memory);
}

}  // namespace

void operator delete(void* memory) noexcept { release(memory); }

void operator delete(void* memory, std::size_t) noexcept { release(memory); }

namespace {

// What a host built with Microsoft's compiler calls: this comes first, as on 64-bit Windows.
struct MicrosoftPluginTable {
    void* (*deletingDestructor)(void* self, unsigned int flags);
    bool (*execute)(void* self);
    bool (*initPlugin)(void* self);
};

const MicrosoftPluginTable& tableOf(const void* object) {
    return **static_cast<MicrosoftPluginTable* const*>(object);
}

// The module's members are exported from this program too, since it links the core.
void* exportedMember(const char* mangledName) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), mangledName));
}

TEST(MicrosoftTable, SlotsAreTheDeletingDestructorThenExecuteThenInitPlugin) {
    MNZRPluginInterface* plugin = createPlugin();
    ASSERT_NE(plugin, nullptr);
    const MicrosoftPluginTable& table = tableOf(plugin);
    EXPECT_EQ(reinterpret_cast<void*>(table.deletingDestructor),
              exportedMember("_ZN7Quorvel18deletingDestructorEj"));
    EXPECT_EQ(reinterpret_cast<void*>(table.execute), exportedMember("_ZN7Quorvel7executeEv"));
    EXPECT_EQ(reinterpret_cast<void*>(table.initPlugin), exportedMember("_ZN7Quorvel10initPluginEv"));
    EXPECT_NE(exportedMember("_ZN7Quorvel7executeEv"), nullptr);
    table.deletingDestructor(plugin, 1);
}

TEST(MicrosoftTable, SlotZeroFreesTheObjectOnlyWithBitZero) {
    MNZRPluginInterface* plugin = createPlugin();
    ASSERT_NE(plugin, nullptr);
    const int freedBefore = freeCount;
    EXPECT_EQ(tableOf(plugin).deletingDestructor(plugin, 1), plugin);
    EXPECT_EQ(freeCount, freedBefore + 1);
    EXPECT_EQ(lastFreed, static_cast<void*>(plugin));

    // Without bit 0 the object is destroyed in place, its memory left to the caller.
    alignas(Quorvel) unsigned char storage[sizeof(Quorvel)];
    Quorvel* inPlace = new (storage) Quorvel();
    const int freedBeforeInPlace = freeCount;
    EXPECT_EQ(tableOf(inPlace).deletingDestructor(inPlace, 0), static_cast<void*>(inPlace));
    EXPECT_EQ(freeCount, freedBeforeInPlace);
}

// Only slot 0 destroys a plugin through the interface; a `delete` that would run just the
// interface's part does not compile.
static_assert(!std::is_destructible_v<MNZRPluginInterface>);
static_assert(std::is_destructible_v<Quorvel>);

}  // namespace
