#include <qvplatform/archive.h>
#include <qvplatform/coll.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/alloc_counter.h"
#include "platform/test_support.h"

using qvtest::Bytes;
using qvtest::LoadObject;
using qvtest::MakeBytes;
using qvtest::StoreObject;

namespace {

// An element with a heap-owning member that counts its lives and assignments;
// assigning the value 13 fails.
struct Tracked {
    static inline int live = 0;
    static inline int assignments = 0;

    Tracked() { ++live; }
    Tracked(int v) : value(v), payload(std::to_string(v) + " long enough to live on the heap") {
        ++live;
    }
    Tracked(const Tracked& other) : value(other.value), payload(other.payload) { ++live; }
    Tracked& operator=(const Tracked& other) {
        if (other.value == 13) throw std::runtime_error("unlucky");
        value = other.value;
        payload = other.payload;
        ++assignments;
        return *this;
    }
    ~Tracked() { --live; }
    bool operator==(const Tracked& other) const { return value == other.value; }

    int value = 0;
    std::string payload;
};

// The list's values head to tail, or tail to head.
template <class List>
std::vector<int> Values(const List& list, bool backwards = false) {
    std::vector<int> values;
    for (POSITION pos = backwards ? list.GetTailPosition() : list.GetHeadPosition(); pos;)
        values.push_back(backwards ? list.GetPrev(pos) : list.GetNext(pos));
    return values;
}

std::vector<std::string> Entries(const CStringList& list) {
    std::vector<std::string> entries;
    for (POSITION pos = list.GetHeadPosition(); pos;) entries.push_back(list.GetNext(pos).str());
    return entries;
}

}  // namespace

TEST(CList, AddsWalksAndInsertsInOrder) {
    CList<int, int> list;
    list.AddTail(2);
    list.AddTail(3);
    POSITION first = list.AddHead(1);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Values(list, true), (std::vector<int>{3, 2, 1}));

    list.InsertAfter(first, 15);
    list.InsertBefore(first, 0);
    list.InsertBefore(nullptr, -1);  // at the head
    list.InsertAfter(nullptr, 4);    // at the tail
    EXPECT_EQ(Values(list), (std::vector<int>{-1, 0, 1, 15, 2, 3, 4}));
    EXPECT_EQ(list.GetCount(), 7);
    EXPECT_EQ(list.GetHead(), -1);
    EXPECT_EQ(list.GetTail(), 4);
}

TEST(CList, RemovesAnywhereAndHandsBackRemovedEnds) {
    CList<int, int> list;
    for (int i = 1; i <= 5; ++i) list.AddTail(i);
    list.RemoveAt(list.FindIndex(2));
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(list.RemoveHead(), 1);
    EXPECT_EQ(list.RemoveTail(), 5);
    list.RemoveAt(list.GetHeadPosition());
    list.RemoveAt(list.GetTailPosition());
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(list.GetTailPosition(), nullptr);
    list.AddTail(9);  // usable again after it emptied
    EXPECT_EQ(Values(list), (std::vector<int>{9}));
}

TEST(CList, EmptyListAndNullPositionsAreRefused) {
    CList<int, int> list;
    EXPECT_THROW(list.GetHead(), CInvalidArgException);
    EXPECT_THROW(list.GetTail(), CInvalidArgException);
    EXPECT_THROW(list.RemoveHead(), CInvalidArgException);
    EXPECT_THROW(list.RemoveTail(), CInvalidArgException);
    POSITION pos = nullptr;
    EXPECT_THROW(list.GetNext(pos), CInvalidArgException);
    EXPECT_THROW(list.GetAt(nullptr), CInvalidArgException);
    EXPECT_THROW(list.RemoveAt(nullptr), CInvalidArgException);
}

TEST(CList, ElementsAreConstructedAssignedAndDestroyedExactlyOnce) {
    Tracked::live = 0;
    Tracked::assignments = 0;
    {
        CList<Tracked, const Tracked&> list;
        for (int i = 100; i < 125; ++i) list.AddTail(Tracked(i));
        EXPECT_EQ(Tracked::live, 25);
        EXPECT_EQ(Tracked::assignments, 25);  // each node took its value by assignment
        list.RemoveAt(list.FindIndex(3));
        Tracked head = list.RemoveHead();
        EXPECT_EQ(head.value, 100);
        EXPECT_EQ(Tracked::live, 24);  // 23 in the list and `head`
    }
    EXPECT_EQ(Tracked::live, 0);
    {
        CList<Tracked, const Tracked&> list(3);
        for (int i = 0; i < 7; ++i) list.AddTail(Tracked(i));
        list.RemoveAll();
        EXPECT_EQ(Tracked::live, 0);
        list.AddTail(Tracked(1));
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(CList, FailedAssignmentLeavesTheListAsItWas) {
    Tracked::live = 0;
    CList<Tracked, const Tracked&> list(2);
    list.AddTail(Tracked(1));
    EXPECT_THROW(list.AddTail(Tracked(13)), std::runtime_error);
    EXPECT_THROW(list.InsertBefore(list.GetHeadPosition(), Tracked(13)), std::runtime_error);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(Tracked::live, 1);
    list.AddTail(Tracked(2));
    list.AddTail(Tracked(3));
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetTail().value, 3);
    list.RemoveAll();
    EXPECT_EQ(Tracked::live, 0);
}

TEST(CStringList, StoresTheCountThenEachStringAndLoadingAppends) {
    CStringList list, empty;
    list.AddTail("a");
    list.AddTail(CString("bc"));
    const Bytes golden = MakeBytes({0x02, 0x00, 0x01, 'a', 0x02, 'b', 'c'});
    EXPECT_EQ(StoreObject(list), golden);
    EXPECT_EQ(StoreObject(empty), MakeBytes({0x00, 0x00}));
    list.RemoveHead();
    EXPECT_EQ(LoadObject(list, golden), -1);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"bc", "a", "bc"}));
}

TEST(CStringList, HostileCountReservesNothingAndKeepsWhatArrived) {
    CStringList list;
    std::size_t largest;
    {
        qvtest::AllocationWatch watch;
        EXPECT_EQ(LoadObject(list, MakeBytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 'a'})),
                  CArchiveException::endOfFile);
        largest = watch.Largest();
    }
    EXPECT_LE(largest, 4096u);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"a"}));
}
