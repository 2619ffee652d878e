// TOwnedPtr: what is destroyed, when, and who owns what after a hand-over.
#include <utility>

#include <gtest/gtest.h>

#include "qvdll/ownedptr.h"

namespace {

struct Tracked {
    static inline int s_destroyed = 0;
    ~Tracked() { ++s_destroyed; }
};

class OwnedPtr : public ::testing::Test {
protected:
    void SetUp() override { Tracked::s_destroyed = 0; }
    int Destroyed() const { return Tracked::s_destroyed; }
};

TEST_F(OwnedPtr, ResetDestroysWhatWasOwnedUnlessItComesBackIn) {
    auto* object = new Tracked;
    {
        TOwnedPtr<Tracked> p(object);
        p.Reset(object);
        EXPECT_EQ(Destroyed(), 0);
        // A pointer held without ownership becomes owned again when put back in.
        EXPECT_EQ(p.Release(), object);
        EXPECT_FALSE(p.Owns());
        EXPECT_EQ(p.Get(), object);
        p.Reset(object);
        EXPECT_TRUE(p.Owns());
        p.Reset(new Tracked);
        EXPECT_EQ(Destroyed(), 1);
        p.Reset();
        EXPECT_EQ(Destroyed(), 2);
        EXPECT_FALSE(p.Owns());
        EXPECT_FALSE(p);
    }
    EXPECT_EQ(Destroyed(), 2);
}

TEST_F(OwnedPtr, CopyAndMoveHandTheObjectOver) {
    auto* object = new Tracked;
    auto source = std::make_unique<TOwnedPtr<Tracked>>(object);
    TOwnedPtr<Tracked> target(*source);
    EXPECT_TRUE(target.Owns());
    EXPECT_FALSE(source->Owns());
    EXPECT_EQ(source->Get(), object);  // the source still sees it
    source.reset();
    EXPECT_EQ(Destroyed(), 0);
    TOwnedPtr<Tracked> moved(std::move(target));
    EXPECT_TRUE(moved.Owns());
    EXPECT_FALSE(target.Owns());
    EXPECT_EQ(moved.Get(), object);
}

TEST_F(OwnedPtr, AssignmentDestroysWhatTheTargetOwnedButNeverTheObjectComingIn) {
    {
        TOwnedPtr<Tracked> target(new Tracked);
        TOwnedPtr<Tracked> source(new Tracked);
        Tracked* incoming = source.Get();
        target = source;
        EXPECT_EQ(Destroyed(), 1);
        EXPECT_EQ(target.Get(), incoming);
        EXPECT_TRUE(target.Owns());
        EXPECT_FALSE(source.Owns());
        TOwnedPtr<Tracked>& same = target;
        target = same;
        EXPECT_TRUE(target.Owns());
        // The same object from a side that only points: the owner keeps owning it, and
        // handed back it goes to the side it is assigned to.
        target = source;
        EXPECT_TRUE(target.Owns());
        source = target;
        EXPECT_TRUE(source.Owns());
        EXPECT_FALSE(target.Owns());
        EXPECT_EQ(Destroyed(), 1);
    }
    EXPECT_EQ(Destroyed(), 2);
}

TEST_F(OwnedPtr, ArrayFormDestroysEveryElement) {
    {
        TOwnedPtr<Tracked[]> p(new Tracked[3]);
        TOwnedPtr<Tracked[]> other(p);  // hand-over: other owns, p only points
        EXPECT_EQ(&other[2], &p[2]);
        p.Reset(new Tracked[2]);  // p did not own the first array: nothing destroyed
        EXPECT_EQ(Destroyed(), 0);
    }
    EXPECT_EQ(Destroyed(), 5);  // with delete[]: the sanitizer build checks the pairing
}

}  // namespace
