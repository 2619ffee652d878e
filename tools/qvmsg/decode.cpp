// qvmsg decode: the records of a file or a capture, one after the other, read
// as a receiver reads them.
#include <cstdio>
#include <span>

#include <qvdll/msg.h>
#include <qvdll/unitlist.h>

#include "qvmsg.h"

namespace qvmsg {

namespace {

// What the record's own head says: the kind on the wire picks the format.
struct Head {
    unsigned wireKind;
    bool old;
};

Head HeadAt(const std::string& bytes, std::size_t offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset + 2);
    const unsigned kind = p[0] | p[1] << 8;
    return {kind, kind < CMsg::kindFirstCurrent};
}

bool CarriesText(const CMsg& msg) {
    return msg.m_wKind >= CMsg::kindFirstCurrent && msg.m_wKind != CMsg::kindMap &&
           msg.m_wKind != CMsg::kindBlock;
}

void PrintUnits(const char* label, const CUnitList& list) {
    std::printf("  %s: %d\n", label, static_cast<int>(list.GetCount()));
    for (POSITION pos = list.GetHeadPosition(); pos;)
        std::printf("    %s\n", Quoted(list.GetNext(pos).UnitDataToString()).c_str());
}

void PrintMessage(const CMsg& msg, const Head& head) {
    std::printf("  tag: %u\n  kind: %u", msg.m_byTag, msg.m_wKind);
    if (head.old && head.wireKind != msg.m_wKind)
        std::printf(" (old kind %u on the wire)", head.wireKind);
    std::printf("\n");
    if (CarriesText(msg)) std::printf("  text: %s\n", Quoted(msg.m_strMsg).c_str());
    if (msg.m_wKind == CMsg::kindMap && msg.m_dwDataSize >= 4) {
        const BYTE* p = msg.m_pData.Get();
        std::printf("  map: %u x %u hexes (block of %u bytes)\n", p[0] | p[1] << 8,
                    p[2] | p[3] << 8, msg.m_dwDataSize);
    } else if (msg.m_wKind == CMsg::kindMap || msg.m_wKind == CMsg::kindBlock) {
        std::printf("  block: %u bytes\n", msg.m_dwDataSize);
    }
    if (msg.m_pClientList) {
        std::printf("  clients: %d\n", static_cast<int>(msg.m_pClientList->GetCount()));
        for (POSITION pos = msg.m_pClientList->GetHeadPosition(); pos;)
            std::printf("    %s\n", Quoted(msg.m_pClientList->GetNext(pos)).c_str());
    }
    if (msg.m_pUnit) std::printf("  unit: %s\n", Quoted(msg.m_pUnit->UnitDataToString()).c_str());
    if (msg.m_pUnitList) PrintUnits("units", *msg.m_pUnitList);
}

}  // namespace

int CommandDecode(const std::vector<std::string>& args) {
    bool hex = false;
    std::string path;
    for (const std::string& arg : args) {
        if (arg == "--hex")
            hex = true;
        else if (path.empty() && !arg.empty() && (arg == "-" || arg.front() != '-'))
            path = arg;
        else
            throw UsageError{"decode takes [--hex] and one FILE (or - for standard input), not '" +
                             arg + "'"};
    }
    if (path.empty()) throw UsageError{"decode needs a FILE (or - for standard input)"};
    const std::string bytes = ReadAll(path);
    CMemFile file(std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()));
    CArchive ar(&file, CArchive::load);
    int records = 0;
    for (std::size_t offset = 0; offset < bytes.size(); ++records) {
        CMsg msg;
        try {
            msg.Serialize(ar);
            ar.Flush();  // the file position is now just past the record
        } catch (const CArchiveException& e) {
            std::fflush(stdout);
            throw InputError{path + ": record " + std::to_string(records + 1) + " at offset " +
                             std::to_string(offset) + ": " + e.what()};
        }
        const std::size_t end = static_cast<std::size_t>(file.GetPosition());
        const Head head = HeadAt(bytes, offset);
        std::printf("record %d: offset %zu, %zu bytes, %s format\n", records + 1, offset,
                    end - offset, head.old ? "old" : "current");
        PrintMessage(msg, head);
        if (hex)
            std::fputs(HexLines(reinterpret_cast<const unsigned char*>(bytes.data()) + offset,
                                end - offset, "  | ")
                           .c_str(),
                       stdout);
        offset = end;
    }
    std::printf("%d record%s\n", records, records == 1 ? "" : "s");
    return 0;
}

}  // namespace qvmsg
