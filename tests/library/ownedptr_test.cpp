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

TEST_F(OwnedPtr, ResetDestroysWhatWasOwnedAndOwnsWhatComesIn) {
    TOwnedPtr<Tracked> p;
    EXPECT_FALSE(p.Owns());
    EXPECT_EQ(p.Get(), nullptr);
    auto* first = new Tracked;
    p.Reset(first);
    EXPECT_TRUE(p.Owns());
    p.Reset(new Tracked);
    EXPECT_EQ(Destroyed(), 1);
    EXPECT_TRUE(p.Owns());
    p.Reset();
    EXPECT_EQ(Destroyed(), 2);
    EXPECT_FALSE(p.Owns());
    EXPECT_FALSE(p);
}

TEST_F(OwnedPtr, ResetWithTheHeldPointerKeepsTheObject) {
    auto* object = new Tracked;
    {
        TOwnedPtr<Tracked> p(object);
        p.Reset(object);
        EXPECT_EQ(Destroyed(), 0);
        EXPECT_TRUE(p.Owns());
        // A pointer held without ownership becomes owned again when put back in.
        EXPECT_EQ(p.Release(), object);
        EXPECT_FALSE(p.Owns());
        EXPECT_EQ(p.Get(), object);
        p.Reset(object);
        EXPECT_TRUE(p.Owns());
    }
    EXPECT_EQ(Destroyed(), 1);
}

TEST_F(OwnedPtr, CopyHandsTheObjectOver) {
    auto* object = new Tracked;
    auto source = std::make_unique<TOwnedPtr<Tracked>>(object);
    TOwnedPtr<Tracked> target(*source);
    EXPECT_TRUE(target.Owns());
    EXPECT_EQ(target.Get(), object);
    EXPECT_FALSE(source->Owns());
    EXPECT_EQ(source->Get(), object);  // the source still sees it
    source.reset();
    EXPECT_EQ(Destroyed(), 0);
    TOwnedPtr<Tracked> moved(std::move(target));
    EXPECT_TRUE(moved.Owns());
    EXPECT_FALSE(target.Owns());
}

TEST_F(OwnedPtr, ObjectsHoldingOwnedPointersCopyByHandOver) {
    struct Holder {
        TOwnedPtr<Tracked> picture;
    };
    {
        Holder original{TOwnedPtr<Tracked>(new Tracked)};
        Holder copy(original);
        EXPECT_TRUE(copy.picture.Owns());
        EXPECT_FALSE(original.picture.Owns());
        EXPECT_EQ(original.picture.Get(), copy.picture.Get());
    }
    EXPECT_EQ(Destroyed(), 1);
}

TEST_F(OwnedPtr, AssignmentDestroysWhatTheTargetOwned) {
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
        EXPECT_EQ(target.Get(), incoming);
        EXPECT_TRUE(target.Owns());
    }
    EXPECT_EQ(Destroyed(), 2);
}

TEST_F(OwnedPtr, AssigningTheSameObjectKeepsItOwned) {
    {
        TOwnedPtr<Tracked> bare(new Tracked);
        TOwnedPtr<Tracked> owner(bare);  // owner owns, bare only points
        owner = bare;                    // must not leave the object without an owner
        EXPECT_TRUE(owner.Owns());
        bare = owner;  // hands it back
        EXPECT_TRUE(bare.Owns());
        EXPECT_FALSE(owner.Owns());
        EXPECT_EQ(Destroyed(), 0);
    }
    EXPECT_EQ(Destroyed(), 1);
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
