// Unit text lines and unit list archives, each against a plain peer doing the
// same job without the rules: a getline and find(',') split of the same lines,
// a from_chars parse, snprintf with the same format, memcpy of the same bytes.
#include <qvdll/csvtoken.h>
#include <qvdll/unitlist.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

// A unit of the kind the game sends: short code page 932 names, a picture
// file, a handful of numbers.
CUnit SampleUnit(int i) {
    static const char* const kNames[] = {"\x90\xED\x8E\xD4", "infantry", "\x95\xE0\x95\xBA",
                                         "scout 12"};
    CUnit unit;
    unit.m_nId1 = static_cast<BYTE>(i);
    unit.m_nId2 = static_cast<BYTE>(i >> 8);
    unit.m_nPosX = static_cast<WORD>(i % 26);
    unit.m_nPosY = static_cast<WORD>(i / 26 % 26);
    unit.m_nState = static_cast<BYTE>(i % 3);
    unit.m_color = 0x00FF0000u >> (i % 3 * 8);
    unit.m_nParam1 = i;
    unit.m_strName = kNames[i % 4];
    unit.m_strImage = i % 2 ? "tank.bmp" : "";
    unit.m_nParam2 = 100 - i % 100;
    unit.m_nParam3 = i * 7;
    unit.m_nParam4 = -i;
    unit.m_nParam5 = 3;
    unit.m_strParam = "ok";
    return unit;
}

std::string UnitLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += SampleUnit(i).UnitDataToString().str();
        text += '\n';
    }
    return text;
}

void BM_TokenizeLinesVsGetlineSplit(benchmark::State& state) {
    const std::string text = UnitLines(100000);
    std::istringstream subjectIn(text), peerIn(text);
    std::string line;
    qvbench::RunSideBySide(
        state,
        [&] {
            subjectIn.clear();
            subjectIn.seekg(0);
            while (std::getline(subjectIn, line)) {
                CCSVToken tokens(line.c_str(), ',', true);
                while (!tokens.eol()) benchmark::DoNotOptimize(tokens.next());
            }
        },
        [&] {
            peerIn.clear();
            peerIn.seekg(0);
            while (std::getline(peerIn, line)) {
                std::size_t start = 0;
                for (;;) {
                    const std::size_t comma = line.find(',', start);
                    benchmark::DoNotOptimize(line.substr(start, comma - start));
                    if (comma == std::string::npos) break;
                    start = comma + 1;
                }
            }
        });
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_TokenizeLinesVsGetlineSplit)->UseManualTime()->Unit(benchmark::kMillisecond);

// The peer reads the same fields with a comma split and from_chars: no quotes,
// no trimming, no double-byte rules.
void PeerParse(std::string_view line, std::vector<std::string>& texts, std::vector<long>& numbers) {
    texts.clear();
    numbers.clear();
    std::size_t start = 0;
    for (int index = 0; start <= line.size(); ++index) {
        std::size_t comma = std::min(line.find(',', start), line.size());
        std::string_view field = line.substr(start, comma - start);
        if (index == 7 || index == 8 || index == 13) {
            texts.emplace_back(field.substr(1, field.size() >= 2 ? field.size() - 2 : 0));
        } else {
            long value = 0;
            std::from_chars(field.data(), field.data() + field.size(), value);
            numbers.push_back(value);
        }
        start = comma + 1;
    }
}

void BM_StringToUnitDataVsSplitAndFromChars(benchmark::State& state) {
    std::vector<CString> lines;
    for (int i = 0; i < 1000; ++i) lines.push_back(SampleUnit(i).UnitDataToString());
    CUnit unit;
    std::vector<std::string> texts;
    std::vector<long> numbers;
    qvbench::RunSideBySide(
        state,
        [&] {
            for (const CString& line : lines) unit.StringToUnitData(line);
            benchmark::DoNotOptimize(unit.m_nParam5);
        },
        [&] {
            for (const CString& line : lines) PeerParse(line.view(), texts, numbers);
            benchmark::DoNotOptimize(numbers.data());
        });
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_StringToUnitDataVsSplitAndFromChars)->UseManualTime();

void BM_UnitDataToStringVsSnprintf(benchmark::State& state) {
    std::vector<CUnit> units;
    for (int i = 0; i < 1000; ++i) units.push_back(SampleUnit(i));
    char buffer[1024];
    qvbench::RunSideBySide(
        state,
        [&] {
            for (const CUnit& unit : units) benchmark::DoNotOptimize(unit.UnitDataToString());
        },
        [&] {
            for (const CUnit& u : units) {
                std::snprintf(buffer, sizeof buffer,
                              "%d,%d,%d,%d,%d,%d,%d,\"%s\",\"%s\",%d,%d,%d,%d,\"%s\"", u.m_nId1,
                              u.m_nId2, u.m_nPosX, u.m_nPosY, u.m_nState,
                              static_cast<LONG>(u.m_color), u.m_nParam1, u.m_strName.GetString(),
                              u.m_strImage.GetString(), u.m_nParam2, u.m_nParam3, u.m_nParam4,
                              u.m_nParam5, u.m_strParam.GetString());
                benchmark::DoNotOptimize(CString(buffer));
            }
        });
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(units.size()));
}
BENCHMARK(BM_UnitDataToStringVsSnprintf)->UseManualTime();

CUnitList SampleList() {
    CUnitList list;
    for (int i = 0; i < 10000; ++i) list.AddTail(SampleUnit(i));
    return list;
}

void BM_UnitListStoreVsMemcpy(benchmark::State& state) {
    CUnitList list = SampleList();
    CMemFile file;
    std::vector<BYTE> peerTarget;
    qvbench::RunSideBySide(
        state,
        [&] {
            file.SeekToBegin();
            CArchive ar(&file, CArchive::store);
            list.Serialize(ar);
            ar.Close();
            benchmark::DoNotOptimize(file.Bytes().data());
        },
        [&] {
            peerTarget.resize(file.Bytes().size());
            std::memcpy(peerTarget.data(), file.Bytes().data(), peerTarget.size());
            benchmark::DoNotOptimize(peerTarget.data());
        });
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.Bytes().size()));
}
BENCHMARK(BM_UnitListStoreVsMemcpy)->UseManualTime();

void BM_UnitListLoadVsMemcpy(benchmark::State& state) {
    CUnitList source = SampleList();
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        source.Serialize(ar);
    }
    CUnitList list;
    std::vector<BYTE> peerTarget(file.Bytes().size());
    qvbench::RunSideBySide(
        state,
        [&] {
            file.SeekToBegin();
            CArchive ar(&file, CArchive::load);
            list.Serialize(ar);
            benchmark::DoNotOptimize(list.GetCount());
        },
        [&] {
            std::memcpy(peerTarget.data(), file.Bytes().data(), peerTarget.size());
            benchmark::DoNotOptimize(peerTarget.data());
        });
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.Bytes().size()));
}
BENCHMARK(BM_UnitListLoadVsMemcpy)->UseManualTime();

}  // namespace
