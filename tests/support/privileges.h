#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// While it lives, root is user "nobody", so that permission bits count as for anyone else (the
// real user id too: the system's access check asks for that one). Does nothing for other users.
#ifdef Q_OS_UNIX
class WithoutRootRights {
public:
    WithoutRootRights() : m_ok(!m_wasRoot || setresuid(65534, 65534, 0) == 0) {}
    ~WithoutRootRights() {
        if (m_wasRoot)
            (void)setresuid(0, 0, 0);
    }
    bool ok() const { return m_ok; }

private:
    const bool m_wasRoot = geteuid() == 0;
    const bool m_ok;
};
#else
// No root to give up where there are no Unix users.
class WithoutRootRights {
public:
    bool ok() const { return true; }
};
#endif
