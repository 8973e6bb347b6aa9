#pragma once

#include <cstdint>

#include "actor/actor.h"

namespace brmath {

constexpr int kActorSlots = 32;

// The 32 actor slots, built when the library loads and released when it unloads.
struct ActorTable {
    Actor actors[kActorSlots];
    int32_t count = 0;  // slots handed out

    // The actor of a slot, or null for an index outside 0..31.
    Actor* Find(int32_t slot) {
        if (slot < 0 || slot >= kActorSlots) return nullptr;
        return &actors[slot];
    }
};

ActorTable& TheActorTable();

}  // namespace brmath
