// Message records against their peers. Encoding and decoding a text message
// (kind 103), a kind-100 message and an old-format refresh of 100 units, each
// beside cereal's binary archive serializing the same fields to and from
// memory; a 1 MiB kind-152 block stored and loaded beside memcpy of its bytes.
// Both sides write into a sink they reuse, so neither pays for growing it.
#include <qvdll/csvtoken.h>
#include <qvdll/msg.h>
#include <qvdll/unitlist.h>
#include <cereal/archives/binary.hpp>
#include <cereal/types/string.hpp>
#include <cereal/types/vector.hpp>

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

// The fields of a message as the peer lays them out.
struct PeerUnit {
    std::uint16_t id1 = 0, id2 = 0, x = 0, y = 0, state = 0;
    std::string name;
    std::uint32_t color = CUnit::kDefaultColor;
    std::string image;
    template <class Archive>
    void serialize(Archive& ar) {
        ar(id1, id2, x, y, state, name, color, image);
    }
};

// Kind 103: head, a 32-bit 0, the text.
struct PeerText {
    std::uint16_t tag = 0;
    std::uint32_t kind = 0;
    std::uint32_t zero = 0;
    std::string text;
    template <class Archive>
    void serialize(Archive& ar) {
        ar(tag, kind, zero, text);
    }
};

// Kind 100: head, the text, a unit, a unit list.
struct PeerUnits {
    std::uint16_t tag = 0;
    std::uint32_t kind = 0;
    std::string text;
    PeerUnit unit;
    std::vector<PeerUnit> units;
    template <class Archive>
    void serialize(Archive& ar) {
        ar(tag, kind, text, unit, units);
    }
};

// The old refresh: head, an empty text, the clients, a unit, the units.
struct PeerRefresh {
    std::uint16_t tag = 0;
    std::uint32_t kind = 5;
    std::string text;
    std::vector<std::string> clients;
    PeerUnit unit;
    std::vector<PeerUnit> units;
    template <class Archive>
    void serialize(Archive& ar) {
        ar(tag, kind, text, clients, unit, units);
    }
};

PeerUnit PeerUnitOf(const CUnit& unit) {
    return {unit.m_nId1,   unit.m_nId2,          unit.m_nPosX, unit.m_nPosY,
            unit.m_nState, unit.m_strName.str(), unit.m_color, unit.m_strImage.str()};
}

// A sink and source in memory that both sides reuse from one call to the next.
struct OurSink {
    CMemFile file;
    BYTE buffer[4096];
    void Encode(CMsg& msg) {
        file.SeekToBegin();
        CArchive ar(&file, CArchive::store, sizeof buffer, buffer);
        msg.Serialize(ar);
        ar.Close();
    }
    void Decode(CMsg& msg) {
        file.SeekToBegin();
        CArchive ar(&file, CArchive::load, sizeof buffer, buffer);
        msg.Serialize(ar);
    }
};

struct PeerSink {
    std::stringstream stream;
    template <class PeerMsg>
    void Encode(const PeerMsg& msg) {
        stream.seekp(0);
        cereal::BinaryOutputArchive ar(stream);
        ar(msg);
    }
    template <class PeerMsg>
    void Decode(PeerMsg& msg) {
        stream.seekg(0);
        cereal::BinaryInputArchive ar(stream);
        ar(msg);
    }
};

// One unit line of the kind the game sends.
std::string UnitLine(int i) {
    CUnit unit;
    unit.m_nId1 = static_cast<BYTE>(i);
    unit.m_nId2 = static_cast<BYTE>(i >> 8);
    unit.m_nPosX = static_cast<WORD>(i % 26);
    unit.m_nPosY = static_cast<WORD>(i / 26);
    unit.m_nState = static_cast<BYTE>(i % 3);
    unit.m_strName = i % 2 ? "\x90\xED\x8E\xD4" : "scout";
    unit.m_strImage = "tank.bmp";
    return unit.UnitDataToString().str();
}

// The message as both sides hold it before encoding.
template <class PeerMsg>
struct Sample {
    CMsg msg{CString("1.0")};
    PeerMsg peer;
};

template <class PeerMsg>
void MakeText(Sample<PeerMsg>& s, WORD kind) {
    s.msg.m_wKind = kind;
    s.msg.m_strMsg = "move the second tank two hexes north";
    s.peer.kind = kind;
    s.peer.text = s.msg.m_strMsg.str();
}

// Encode: the record from the message; the peer's record from the same fields.
template <class PeerMsg>
void Encode(benchmark::State& state, Sample<PeerMsg>& s) {
    OurSink ours;
    PeerSink peer;
    qvbench::RunSideBySide(
        state, [&] { ours.Encode(s.msg); }, [&] { peer.Encode(s.peer); });
    state.SetItemsProcessed(state.iterations());
}

template <class PeerMsg>
void Decode(benchmark::State& state, Sample<PeerMsg>& s) {
    OurSink ours;
    PeerSink peer;
    ours.Encode(s.msg);
    peer.Encode(s.peer);
    qvbench::RunSideBySide(
        state,
        [&] {
            CMsg msg;
            ours.Decode(msg);
            benchmark::DoNotOptimize(msg.m_wKind);
        },
        [&] {
            PeerMsg msg;
            peer.Decode(msg);
            benchmark::DoNotOptimize(msg.kind);
        });
    state.SetItemsProcessed(state.iterations());
}

void BM_TextEncodeVsCereal(benchmark::State& state) {
    Sample<PeerText> s;
    MakeText(s, 103);
    Encode(state, s);
}
BENCHMARK(BM_TextEncodeVsCereal)->UseManualTime();

void BM_TextDecodeVsCereal(benchmark::State& state) {
    Sample<PeerText> s;
    MakeText(s, 103);
    Decode(state, s);
}
BENCHMARK(BM_TextDecodeVsCereal)->UseManualTime();

void BM_Kind100EncodeVsCereal(benchmark::State& state) {
    Sample<PeerUnits> s;
    MakeText(s, 100);
    Encode(state, s);
}
BENCHMARK(BM_Kind100EncodeVsCereal)->UseManualTime();

void BM_Kind100DecodeVsCereal(benchmark::State& state) {
    Sample<PeerUnits> s;
    MakeText(s, 100);
    Decode(state, s);
}
BENCHMARK(BM_Kind100DecodeVsCereal)->UseManualTime();

// A refresh of two clients and 100 units. The message holds it as its refresh
// text, so encoding includes reading the 100 unit lines; the peer does the
// same reading with the library's unit line reader before serializing.
void MakeRefresh(Sample<PeerRefresh>& s) {
    s.msg.m_wKind = CMsg::kindRefresh;
    std::string text = "alice\nbob\n%";
    for (int i = 0; i < 100; ++i) text += UnitLine(i) + "\n";
    s.msg.m_strMsg = text;
}

PeerRefresh PeerRefreshOf(const CString& text) {
    PeerRefresh peer;
    CCSVToken parts(text, '%', false);
    const CString clients = parts.next()->AsString(), units = parts.next()->AsString();
    for (CCSVToken lines(clients, '\n', false); !lines.eol();)
        peer.clients.push_back(lines.next()->AsString().str());
    for (CCSVToken lines(units, '\n', false); !lines.eol();) {
        CUnit unit;
        unit.StringToUnitData(lines.next()->AsString());
        peer.units.push_back(PeerUnitOf(unit));
    }
    return peer;
}

void BM_RefreshEncodeVsCereal(benchmark::State& state) {
    Sample<PeerRefresh> s;
    MakeRefresh(s);
    OurSink ours;
    PeerSink peer;
    qvbench::RunSideBySide(
        state, [&] { ours.Encode(s.msg); }, [&] { peer.Encode(PeerRefreshOf(s.msg.m_strMsg)); });
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RefreshEncodeVsCereal)->UseManualTime();

void BM_RefreshDecodeVsCereal(benchmark::State& state) {
    Sample<PeerRefresh> s;
    MakeRefresh(s);
    s.peer = PeerRefreshOf(s.msg.m_strMsg);
    // The comparison holds only while both records carry the same lists.
    OurSink ours;
    ours.Encode(s.msg);
    CMsg decoded;
    ours.Decode(decoded);
    if (decoded.m_wKind != CMsg::kindRefresh || !decoded.m_pUnitList ||
        decoded.m_pUnitList->GetCount() != 100 || s.peer.units.size() != 100 ||
        decoded.m_pClientList->GetCount() != 2 || s.peer.clients.size() != 2) {
        state.SkipWithError("the two refresh records differ");
        return;
    }
    Decode(state, s);
}
BENCHMARK(BM_RefreshDecodeVsCereal)->UseManualTime();

// A kind-152 block of 1 MiB, stored and loaded, beside a memcpy of its bytes.
constexpr DWORD kBlockBytes = 1 << 20;

void GiveBlock(CMsg& msg) {
    msg.m_wKind = CMsg::kindBlock;
    msg.m_pData.Reset(new BYTE[kBlockBytes]);
    for (DWORD i = 0; i < kBlockBytes; ++i) msg.m_pData[i] = static_cast<BYTE>(i * 31);
    msg.m_dwDataSize = kBlockBytes;
}

void BM_BlockStoreVsMemcpy(benchmark::State& state) {
    CMsg msg{CString("1.0")};
    GiveBlock(msg);
    OurSink ours;
    std::vector<BYTE> target(kBlockBytes);
    qvbench::RunSideBySide(
        state, [&] { ours.Encode(msg); },
        [&] {
            std::memcpy(target.data(), msg.m_pData.Get(), kBlockBytes);
            benchmark::ClobberMemory();
        });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBlockBytes);
}
BENCHMARK(BM_BlockStoreVsMemcpy)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Loading gives the message a block of its own. The first peer copies into
// memory it already has; the second takes a fresh block first, as a loader
// must, and so pays the same for pages the allocator hands back and forth.
template <class Peer>
void BlockLoad(benchmark::State& state, Peer peer) {
    CMsg msg{CString("1.0")};
    GiveBlock(msg);
    OurSink ours;
    ours.Encode(msg);
    qvbench::RunSideBySide(
        state,
        [&] {
            CMsg loaded;
            ours.Decode(loaded);
            benchmark::DoNotOptimize(loaded.m_pData.Get());
        },
        [&] { peer(msg.m_pData.Get()); });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBlockBytes);
}

void BM_BlockLoadVsMemcpy(benchmark::State& state) {
    std::vector<BYTE> target(kBlockBytes);
    BlockLoad(state, [&](const BYTE* source) {
        std::memcpy(target.data(), source, kBlockBytes);
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_BlockLoadVsMemcpy)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_BlockLoadVsNewAndMemcpy(benchmark::State& state) {
    BlockLoad(state, [](const BYTE* source) {
        auto target = std::make_unique_for_overwrite<BYTE[]>(kBlockBytes);
        std::memcpy(target.get(), source, kBlockBytes);
        benchmark::DoNotOptimize(target.get());
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_BlockLoadVsNewAndMemcpy)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
