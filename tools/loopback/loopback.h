// What the example server and client share: the loopback address, the
// messages they agree on, and turning a received message into lines to print.
#pragma once

#include <qvdll/msg.h>
#include <qvdll/unitlist.h>
#include <qvplatform/cp932.h>

#include <cstdio>
#include <string>

namespace loopback {

// The client says goodbye with this text message before it hangs up.
constexpr const char* kGoodbye = "bye";

inline const char* FormatOf(const CMsg& msg) {
    return msg.GetServerVersion().IsEmpty() ? "old" : "current";
}

// A refresh as received: its client entries, then its units, one per line.
inline void PrintRefresh(const CMsg& msg) {
    std::printf("refresh:");
    if (msg.m_pClientList)
        for (POSITION pos = msg.m_pClientList->GetHeadPosition(); pos;)
            std::printf(" client %s;",
                        Cp932ToPrintable(msg.m_pClientList->GetNext(pos).view()).c_str());
    if (msg.m_pUnitList)
        for (POSITION pos = msg.m_pUnitList->GetHeadPosition(); pos;) {
            const CUnit& unit = msg.m_pUnitList->GetNext(pos);
            std::printf(" unit %u,%u %s at %u,%u state %u;", unit.m_nId1, unit.m_nId2,
                        Cp932ToPrintable(unit.m_strName.view()).c_str(), unit.m_nPosX, unit.m_nPosY,
                        unit.m_nState);
        }
    std::printf("\n");
}

}  // namespace loopback
