#include "actor/actor_table.h"

namespace brmath {

namespace {
// Constructed by static initialisation when the library loads; its slots are
// destroyed from the last to the first when the library unloads.
ActorTable table;
}  // namespace

ActorTable& TheActorTable() { return table; }

}  // namespace brmath
