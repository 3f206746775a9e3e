#pragma once

#include <unistd.h>

// Takes away root's right to write anywhere for as long as it lives, so that permission bits
// count; ordinary users have no such right anyway. The real user id changes too, because the
// system's access check asks for it.
class WithoutRootRights {
public:
    WithoutRootRights() : m_wasRoot(geteuid() == 0) {
        if (m_wasRoot && setresgid(65534, 65534, 0) == 0)
            m_ok = setresuid(65534, 65534, 0) == 0;
    }
    ~WithoutRootRights() {
        if (m_wasRoot) {
            setresuid(0, 0, 0);
            setresgid(0, 0, 0);
        }
    }
    bool ok() const { return !m_wasRoot || m_ok; }

private:
    bool m_wasRoot;
    bool m_ok = false;
};
