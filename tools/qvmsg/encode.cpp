// qvmsg encode: one record from the options that describe it.
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>

#include <qvdll/hexmap.h>
#include <qvdll/msg.h>
#include <qvdll/unitlist.h>
#include <qvplatform/cp932.h>

#include "qvmsg.h"

namespace qvmsg {

namespace {

struct Description {
    std::optional<long> kind;
    long tag = 0;
    std::string version;
    std::optional<std::string> text;
    std::vector<std::string> clients;
    std::vector<std::string> listUnits;
    std::optional<std::string> unit;
    std::optional<std::string> mapFile;
    std::optional<std::string> blockFile;
    std::string output;
    bool hex = false;
};

long ParseNumber(const std::string& text, long hi, const std::string& what) {
    long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > hi)
        throw UsageError{what + " must be a number from 0 to " + std::to_string(hi) + ", not '" +
                         text + "'"};
    return value;
}

Description Parse(const std::vector<std::string>& args) {
    Description d;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--hex") {
            d.hex = true;
            continue;
        }
        if (i + 1 >= args.size())
            throw UsageError{"'" + option + "' needs a value, or is no option of encode"};
        const std::string& value = args[++i];
        if (option == "--kind")
            d.kind = ParseNumber(value, 65535, "--kind");
        else if (option == "--tag")
            d.tag = ParseNumber(value, 255, "--tag");
        else if (option == "--version")
            d.version = value;
        else if (option == "--text")
            d.text = value;
        else if (option == "--client")
            d.clients.push_back(value);
        else if (option == "--list-unit")
            d.listUnits.push_back(value);
        else if (option == "--unit")
            d.unit = value;
        else if (option == "--map")
            d.mapFile = value;
        else if (option == "--block")
            d.blockFile = value;
        else if (option == "-o")
            d.output = value;
        else
            throw UsageError{"unknown option '" + option + "'"};
    }
    if (d.mapFile && d.blockFile)
        throw UsageError{"--map and --block both give the block: choose one"};
    const long implied = d.mapFile ? CMsg::kindMap : d.blockFile ? CMsg::kindBlock : CMsg::kindText;
    if (!d.kind) d.kind = implied;
    if (d.mapFile && *d.kind != CMsg::kindMap) throw UsageError{"--map goes with kind 111"};
    if (d.blockFile && *d.kind != CMsg::kindMap && *d.kind != CMsg::kindBlock)
        throw UsageError{"--block goes with kinds 111 and 152"};
    const bool refresh = *d.kind == CMsg::kindRefresh;
    if (refresh && d.text && (!d.clients.empty() || !d.listUnits.empty()))
        throw UsageError{
            "kind 5 takes its refresh text from --text or from --client and --list-unit, not both"};
    const bool unitKind = *d.kind == 2 || *d.kind == 3 || *d.kind == 15;
    if (d.unit && !unitKind) throw UsageError{"--unit goes with kinds 2, 3 and 15"};
    if (!d.clients.empty() && !refresh && *d.kind != 182)
        throw UsageError{"--client goes with kinds 5 and 182"};
    if (!d.listUnits.empty() && !refresh && !unitKind && *d.kind != 181 && *d.kind != 182)
        throw UsageError{"--list-unit goes with kinds 2, 3, 5, 15, 181 and 182"};
    return d;
}

CString Cp932(const std::string& utf8) {
    if (utf8.find('\0') != std::string::npos) throw UsageError{"a text with a zero byte"};
    return CString(Utf8ToCp932(utf8));
}

CUnit UnitOf(const std::string& line) {
    CUnit unit;
    unit.StringToUnitData(Cp932(line));
    return unit;
}

// The refresh text: client entries, "%", unit lines, each ended by a line feed.
CString RefreshText(const Description& d) {
    std::string text;
    for (const std::string& entry : d.clients) text += entry + "\n";
    text += "%";
    for (const std::string& line : d.listUnits) text += line + "\n";
    return Cp932(text);
}

void PutBlock(CMsg& msg, const std::string& bytes) {
    if (bytes.size() > 0xFFFFFFFFu) throw InputError{"a block holds at most 4 GiB"};
    msg.m_dwDataSize = static_cast<DWORD>(bytes.size());
    msg.m_pData.Reset(bytes.empty() ? nullptr : new BYTE[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), msg.m_pData.Get());
}

// The flat map block of a map file: width, height, then the cells.
void PutMap(CMsg& msg, const std::string& path) {
    CHexMap map;
    if (!map.ReadMapFile(CString(path)))
        throw InputError{"cannot read the map file '" + path + "'"};
    const WORD width = map.GetMapWidth(), height = map.GetMapHeight();
    std::string block = {static_cast<char>(width), static_cast<char>(width >> 8),
                         static_cast<char>(height), static_cast<char>(height >> 8)};
    const BYTE* cells = map.GetMap()->cells;
    if (cells) block.append(reinterpret_cast<const char*>(cells), std::size_t{width} * height);
    PutBlock(msg, block);
}

void Fill(CMsg& msg, const Description& d) {
    msg.m_wKind = static_cast<WORD>(*d.kind);
    msg.m_byTag = static_cast<BYTE>(d.tag);
    msg.SetServerVersion(CString(d.version));
    if (d.text) msg.m_strMsg = Cp932(*d.text);
    if (msg.m_wKind == CMsg::kindRefresh && !d.text) msg.m_strMsg = RefreshText(d);
    if (d.mapFile) PutMap(msg, *d.mapFile);
    if (d.blockFile) PutBlock(msg, ReadAll(*d.blockFile));
    if (d.unit) msg.m_pUnit = new CUnit(UnitOf(*d.unit));
    if (msg.m_wKind != CMsg::kindRefresh && !d.listUnits.empty()) {
        msg.m_pUnitList = new CUnitList;
        for (const std::string& line : d.listUnits) msg.m_pUnitList->AddTail(UnitOf(line));
    }
    if (msg.m_wKind != CMsg::kindRefresh && !d.clients.empty()) {
        msg.m_pClientList = new CStringList;
        for (const std::string& entry : d.clients) msg.m_pClientList->AddTail(Cp932(entry));
    }
}

void WriteOut(const std::string& path, const std::string& bytes) {
    FILE* out = path.empty() ? stdout : std::fopen(path.c_str(), "wb");
    if (!out) throw InputError{"cannot create '" + path + "': " + std::strerror(errno)};
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if ((out == stdout ? std::fflush(out) : std::fclose(out)) != 0 || !ok)
        throw InputError{"cannot write '" + (path.empty() ? std::string("standard output") : path) +
                         "'"};
}

}  // namespace

int CommandEncode(const std::vector<std::string>& args) {
    const Description d = Parse(args);
    if (d.output.empty() && !d.hex && ::isatty(STDOUT_FILENO))
        throw UsageError{
            "a record is bytes: give -o FILE, redirect standard output, or ask for --hex"};
    CMsg msg;
    Fill(msg, d);
    CMemFile file;
    try {
        CArchive ar(&file, CArchive::store);
        msg.Serialize(ar);
        ar.Close();
    } catch (const CArchiveException& e) {
        throw InputError{std::string("kind ") + std::to_string(msg.m_wKind) + ": " + e.what()};
    }
    const auto& bytes = file.Bytes();
    WriteOut(d.output, d.hex ? HexLines(bytes.data(), bytes.size(), "")
                             : std::string(bytes.begin(), bytes.end()));
    return 0;
}

}  // namespace qvmsg
