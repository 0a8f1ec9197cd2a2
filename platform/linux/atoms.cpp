// One table of names for class atoms and registered window messages: the same
// name, in any case, always gives the same number in 0xC000..0xFFFF.
#include "user_state.h"

namespace userlayer {

// Lock held. 0 when the name is empty or the table is full.
WORD AddAtom(const char *name) {
    if (name == nullptr || name[0] == '\0') return 0;
    UserState &state = State();
    std::string key = UpperCase(name);
    auto found = state.atoms.find(key);
    if (found != state.atoms.end()) return found->second;
    if (state.nextAtom == 0) return 0;  // wrapped past 0xFFFF: full
    WORD atom = state.nextAtom;
    state.nextAtom = static_cast<WORD>(state.nextAtom + 1);
    state.atoms.emplace(key, atom);
    return atom;
}

}  // namespace userlayer

using namespace userlayer;

UINT RegisterWindowMessageA(LPCSTR name) {
    Lock lock = LockState();
    WORD atom = AddAtom(name);
    if (atom == 0) SetLastError(name == nullptr || name[0] == '\0' ? ERROR_INVALID_PARAMETER : kErrorNotEnoughQuota);
    return atom;
}
