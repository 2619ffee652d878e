// qvunit: read unit text lines (the full form) and show them, and write and read
// the unit list archive form. Text is code page 932 inside; what is shown is
// converted to UTF-8.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <qvdll/unitlist.h>

#include "toolmain.h"

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  qvunit show FILE|-      print the units of unit lines (full form, one per line)\n"
    "  qvunit store IN|- OUT   write the units of unit lines as a unit list archive\n"
    "  qvunit load FILE        print the units of a unit list archive\n"
    "Unit lines are code page 932 text; blank lines are skipped. Output is UTF-8.\n";

using qvtool::InputError;
using qvtool::Quoted;
using qvtool::ReadAll;
using qvtool::UsageError;

// The units of a text of unit lines. A zero byte would end a line early in
// silence, so it is refused.
void ParseLines(const std::string& path, CUnitList& list) {
    const std::string text = ReadAll(path);
    std::size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line.find('\0') != std::string_view::npos)
            throw InputError{path + ":" + std::to_string(number) + ": a zero byte in a unit line"};
        CUnit unit;
        unit.StringToUnitData(CString(line));
        list.AddTail(unit);
    }
}

void PrintUnits(const CUnitList& list) {
    int number = 0;
    for (POSITION pos = list.GetHeadPosition(); pos;) {
        const CUnit& u = list.GetNext(pos);
        std::printf(
            "%d: id=%u,%u pos=%u,%u state=%u color=0x%06X name=%s image=%s params=%d,%d,%d,%d,%d "
            "text=%s\n",
            ++number, u.m_nId1, u.m_nId2, u.m_nPosX, u.m_nPosY, u.m_nState, u.m_color,
            Quoted(u.m_strName).c_str(), Quoted(u.m_strImage).c_str(), u.m_nParam1, u.m_nParam2,
            u.m_nParam3, u.m_nParam4, u.m_nParam5, Quoted(u.m_strParam).c_str());
    }
    std::printf("%d unit%s\n", number, number == 1 ? "" : "s");
}

int CommandShow(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError{"show takes one FILE (or - for standard input)"};
    CUnitList list;
    ParseLines(args[0], list);
    PrintUnits(list);
    return 0;
}

int CommandStore(const std::vector<std::string>& args) {
    if (args.size() != 2) throw UsageError{"store takes IN and OUT"};
    CUnitList list;
    ParseLines(args[0], list);
    CFile file(args[1].c_str(), CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&file, CArchive::store);
    list.Serialize(ar);
    ar.Close();
    file.Close();
    std::printf("%s: %d unit%s\n", args[1].c_str(), static_cast<int>(list.GetCount()),
                list.GetCount() == 1 ? "" : "s");
    return 0;
}

int CommandLoad(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError{"load takes one FILE"};
    const std::string& path = args[0];
    CFile file(path.c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    CUnitList list;
    try {
        list.Serialize(ar);
    } catch (const CArchiveException& e) {
        throw InputError{path + ": not a whole unit list (" + std::to_string(list.GetCount()) +
                         " units read): " + e.what()};
    }
    BYTE extra;
    if (ar.Read(&extra, 1) != 0)
        throw InputError{path + ": bytes follow the unit list (" + std::to_string(list.GetCount()) +
                         " units)"};
    PrintUnits(list);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return qvtool::RunCommand(
        "qvunit", kUsage, {{"show", CommandShow}, {"store", CommandStore}, {"load", CommandLoad}},
        argc, argv);
}
