#include <qvplatform/archive.h>
#include <qvplatform/coll.h>
#include <qvplatform/module.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/test_support.h"

using qvtest::Bytes;
using qvtest::Concat;
using qvtest::Loaded;
using qvtest::MakeBytes;
using qvtest::Stored;

namespace {

// Test classes: a point (schema 1), a class derived from it, a versionable
// class, a node that refers to another object, a class that is creatable but
// not serialisable, one whose loading fails, and one never registered.
class CTestPoint : public CObject {
    DECLARE_SERIAL(CTestPoint)
public:
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            ar << x;
        else
            ar >> x;
    }
    WORD x = 0;
};
IMPLEMENT_SERIAL(CTestPoint, CObject, 1)

class CTestSub : public CTestPoint {
    DECLARE_SERIAL(CTestSub)
};
IMPLEMENT_SERIAL(CTestSub, CTestPoint, 1)

class CTestVersioned : public CObject {
    DECLARE_SERIAL(CTestVersioned)
public:
    // Schema 1 had only `a`; schema 2 added `b`.
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar << a << b;
            return;
        }
        schemaSeen = ar.GetObjectSchema();
        schemaAfter = ar.GetObjectSchema();
        ar >> a;
        if (schemaSeen >= 2) ar >> b;
    }
    WORD a = 0;
    DWORD b = 0;
    UINT schemaSeen = 0;
    UINT schemaAfter = 0;
};
IMPLEMENT_SERIAL(CTestVersioned, CObject, 2 | VERSIONABLE_SCHEMA)

class CTestNode : public CObject {
    DECLARE_SERIAL(CTestNode)
public:
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            ar << pOther;
        else
            ar >> pOther;
    }
    CObject* pOther = nullptr;  // not owned
};
IMPLEMENT_SERIAL(CTestNode, CObject, 1)

class CTestDynamic : public CObject {
    DECLARE_DYNCREATE(CTestDynamic)
};
IMPLEMENT_DYNCREATE(CTestDynamic, CObject)

class CTestFailing : public CObject {
    DECLARE_SERIAL(CTestFailing)
public:
    CTestFailing() { ++live; }
    ~CTestFailing() override { --live; }
    void Serialize(CArchive& ar) override {
        DWORD value;
        if (ar.IsLoading()) ar >> value;
    }
    static inline int live = 0;
};
IMPLEMENT_SERIAL(CTestFailing, CObject, 1)

class CTestUnregistered : public CObject {
    DECLARE_SERIAL(CTestUnregistered)
};
IMPLEMENT_SERIAL(CTestUnregistered, CObject, 1)

const CRuntimeClass* const kTestClasses[] = {
    RUNTIME_CLASS(CTestPoint),  RUNTIME_CLASS(CTestSub),     RUNTIME_CLASS(CTestVersioned),
    RUNTIME_CLASS(CTestNode),   RUNTIME_CLASS(CTestDynamic), RUNTIME_CLASS(CTestFailing),
    RUNTIME_CLASS(CStringList),
};

class ObjectArchive : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool registered = false;
        if (!registered) AfxRegisterClasses(kTestClasses);
        registered = true;
    }
    ~ObjectArchive() override {
        for (CObject* p : owned) delete p;
    }
    // Takes ownership of what a test read; back-references are deleted once.
    template <class T>
    T* Own(T* p) {
        if (p) owned.insert(p);
        return p;
    }
    std::set<CObject*> owned;
};

// A new-class record: tag, schema, name length, name.
Bytes NewClass(WORD schema, const std::string& name) {
    Bytes bytes =
        MakeBytes({0xFF, 0xFF, schema & 0xFF, schema >> 8, static_cast<int>(name.size()), 0});
    bytes.insert(bytes.end(), name.begin(), name.end());
    return bytes;
}

const Bytes kFourObjects = Concat({
    NewClass(1, "CTestPoint"), MakeBytes({0x34, 0x12}),  // new class (1), object (2)
    MakeBytes({0x01, 0x80, 0x05, 0x00}),                 // known class 1, object (3)
    MakeBytes({0x02, 0x00}),                             // back to object 2
    MakeBytes({0x00, 0x00}),                             // null
});

}  // namespace

TEST_F(ObjectArchive, NewClassKnownClassBackReferenceAndNullHaveTheirTags) {
    CTestPoint first, second;
    first.x = 0x1234;
    second.x = 5;
    EXPECT_EQ(Stored([&](CArchive& ar) {
                  ar << &first << &second << &first << static_cast<const CObject*>(nullptr);
              }),
              kFourObjects);
    Loaded(kFourObjects, [&](CArchive& ar) {
        CObject *a, *b, *c, *d;
        ar >> a >> b >> c >> d;
        Own(a);
        Own(b);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_NE(a, b);
        EXPECT_EQ(c, a);
        EXPECT_EQ(d, nullptr);
        EXPECT_EQ(a->GetRuntimeClass(), RUNTIME_CLASS(CTestPoint));
        EXPECT_EQ(static_cast<CTestPoint*>(a)->x, 0x1234);
        EXPECT_EQ(static_cast<CTestPoint*>(b)->x, 5);
    });
}

TEST_F(ObjectArchive, EveryCutOfTheStreamIsEndOfFile) {
    for (std::size_t n = 0; n < kFourObjects.size() - 2; ++n) {
        SCOPED_TRACE(n);
        Bytes cut(kFourObjects.begin(), kFourObjects.begin() + n);
        Loaded(cut, [&](CArchive& ar) {
            try {
                for (int i = 0; i < 4; ++i) Own(ar.ReadObject(nullptr));
                ADD_FAILURE() << "read four objects from " << n << " bytes";
            } catch (const CArchiveException& e) {
                EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << e.what();
            }
        });
    }
}

TEST_F(ObjectArchive, ClassTagsAloneUseTheSameCounter) {
    Bytes bytes = Stored([](CArchive& ar) {
        ar.WriteClass(RUNTIME_CLASS(CTestPoint));
        ar.WriteClass(RUNTIME_CLASS(CTestPoint));
    });
    EXPECT_EQ(bytes, Concat({NewClass(1, "CTestPoint"), MakeBytes({0x01, 0x80})}));
    Loaded(bytes, [](CArchive& ar) {
        UINT schema = 0;
        EXPECT_EQ(ar.ReadClass(nullptr, &schema), RUNTIME_CLASS(CTestPoint));
        EXPECT_EQ(schema, 1u);
        EXPECT_EQ(ar.ReadClass(RUNTIME_CLASS(CObject)), RUNTIME_CLASS(CTestPoint));
    });
    Loaded(MakeBytes({0x00, 0x00}), [](CArchive& ar) {
        EXPECT_THROW_CAUSE(ar.ReadClass(), CArchiveException, CArchiveException::badIndex);
    });
}

TEST_F(ObjectArchive, VersionableClassWritesItsSchemaWithoutTheFlagAndReadsOlderOnes) {
    CTestVersioned object;
    object.a = 7;
    object.b = 9;
    Bytes bytes = Stored([&](CArchive& ar) { ar << &object; });
    EXPECT_EQ(bytes, Concat({NewClass(2, "CTestVersioned"),
                             MakeBytes({0x07, 0x00, 0x09, 0x00, 0x00, 0x00})}));
    Loaded(bytes, [&](CArchive& ar) {
        auto* p = Own(static_cast<CTestVersioned*>(ar.ReadObject(nullptr)));
        EXPECT_EQ(p->schemaSeen, 2u);
        EXPECT_EQ(p->b, 9u);
    });

    Bytes older = Concat({NewClass(1, "CTestVersioned"), MakeBytes({0x03, 0x00}),
                          MakeBytes({0x01, 0x80, 0x04, 0x00})});
    Loaded(older, [&](CArchive& ar) {
        for (WORD expected : {3, 4}) {
            auto* p = Own(static_cast<CTestVersioned*>(ar.ReadObject(nullptr)));
            EXPECT_EQ(p->schemaSeen, 1u);  // a later object of the class keeps it too
            EXPECT_EQ(p->schemaAfter, static_cast<UINT>(-1));
            EXPECT_EQ(p->a, expected);
        }
    });
}

TEST_F(ObjectArchive, OtherSchemaOfAPlainClassIsBadSchema) {
    Loaded(Concat({NewClass(2, "CTestPoint"), MakeBytes({0, 0})}), [&](CArchive& ar) {
        EXPECT_THROW_CAUSE_MESSAGE(Own(ar.ReadObject(nullptr)), CArchiveException,
                                   CArchiveException::badSchema,
                                   "class CTestPoint: archive has schema 2, this build reads "
                                   "schema 1");
    });
}

TEST_F(ObjectArchive, UnknownOrUnloadableClassIsBadClass) {
    const Bytes cases[] = {
        NewClass(1, "CNope"),
        NewClass(1, "CTestUnregistered"),
        NewClass(0xFFFF, "CTestDynamic"),
        NewClass(1, std::string("CTestPoint\0x", 12)),
        MakeBytes({0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00}),  // empty name
        MakeBytes({0xFF, 0xFF, 0x01, 0x00, 0xFF, 0xFF}),  // 65535-byte name
    };
    for (const Bytes& bytes : cases) {
        Loaded(bytes, [&](CArchive& ar) {
            EXPECT_THROW_CAUSE(Own(ar.ReadObject(nullptr)), CArchiveException,
                               CArchiveException::badClass);
        });
    }
    Loaded(NewClass(1, "CNope\x1B\x7F"), [&](CArchive& ar) {
        EXPECT_THROW_CAUSE_MESSAGE(Own(ar.ReadObject(nullptr)), CArchiveException,
                                   CArchiveException::badClass, "'CNope\\x1B\\x7F'");
    });
    Loaded(MakeBytes({0xFF, 0xFF, 0x01, 0x00, 0x0A, 0x00, 'C', 'T'}), [&](CArchive& ar) {
        EXPECT_THROW_CAUSE(Own(ar.ReadObject(nullptr)), CArchiveException,
                           CArchiveException::endOfFile);
    });
}

TEST_F(ObjectArchive, ClassesWithoutSchemaAreNotWritten) {
    CTestDynamic dynamic;
    EXPECT_FALSE(dynamic.IsSerializable());
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    EXPECT_THROW_CAUSE(ar << &dynamic, CArchiveException, CArchiveException::badClass);
}

TEST_F(ObjectArchive, ObjectOfAnotherClassThanRequestedIsBadClass) {
    CTestPoint point;
    CTestSub sub;
    Bytes bytes = Stored([&](CArchive& ar) { ar << &point << &sub << &point; });
    Loaded(bytes, [&](CArchive& ar) {
        EXPECT_THROW_CAUSE_MESSAGE(Own(ar.ReadObject(RUNTIME_CLASS(CTestSub))), CArchiveException,
                                   CArchiveException::badClass,
                                   "archive holds a CTestPoint where a CTestSub was expected");
    });
    Loaded(bytes, [&](CArchive& ar) {
        Own(ar.ReadObject(RUNTIME_CLASS(CTestPoint)));
        EXPECT_NE(Own(ar.ReadObject(RUNTIME_CLASS(CTestPoint))), nullptr);  // a CTestSub is one
        // A back-reference is checked too.
        EXPECT_THROW_CAUSE(Own(ar.ReadObject(RUNTIME_CLASS(CTestSub))), CArchiveException,
                           CArchiveException::badClass);
    });
}

TEST_F(ObjectArchive, IndexThatNamesNoEarlierEntryOfItsKindIsBadIndex) {
    const Bytes start = Concat({NewClass(1, "CTestPoint"), MakeBytes({0x01, 0x00})});
    const Bytes cases[] = {
        MakeBytes({0x03, 0x00}),                          // object 3: not yet there
        MakeBytes({0x01, 0x00}),                          // entry 1 is a class
        MakeBytes({0x02, 0x80}),                          // entry 2 is an object
        MakeBytes({0x05, 0x80}),                          // class 5: not there
        MakeBytes({0x00, 0x80}),                          // class 0
        MakeBytes({0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}),  // object 0x7FFFFFFF
        MakeBytes({0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF}),  // class 0x7FFFFFFF
    };
    for (const Bytes& tail : cases) {
        Loaded(Concat({start, tail}), [&](CArchive& ar) {
            Own(ar.ReadObject(nullptr));
            EXPECT_THROW_CAUSE(Own(ar.ReadObject(nullptr)), CArchiveException,
                               CArchiveException::badIndex);
        });
    }
}

TEST_F(ObjectArchive, IndicesFrom0x7FFFTakeTheLongForm) {
    // Class 1 and objects 2 to 0x8000; then a second class at 0x8001.
    std::vector<std::unique_ptr<CTestPoint>> points;
    for (int i = 0; i < 0x7FFF; ++i) {
        points.push_back(std::make_unique<CTestPoint>());
        points.back()->x = static_cast<WORD>(i);
    }
    CTestSub sub1, sub2;
    Bytes bytes = Stored([&](CArchive& ar) {
        for (auto& p : points) ar << p.get();
        ar << points[0x7FFD].get();  // object 0x7FFF
        ar << &sub1 << &sub2;        // class 0x8001 new, then known
    });
    const Bytes tail = Concat({
        MakeBytes({0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00}),  // object 0x7FFF
        NewClass(1, "CTestSub"), MakeBytes({0x00, 0x00}),
        MakeBytes({0xFF, 0x7F, 0x01, 0x80, 0x00, 0x80, 0x00, 0x00}),  // class 0x8001
    });
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(Bytes(bytes.end() - tail.size(), bytes.end()), tail);

    Loaded(bytes, [&](CArchive& ar) {
        std::vector<CObject*> read;
        for (int i = 0; i < 0x7FFF; ++i) read.push_back(Own(ar.ReadObject(nullptr)));
        EXPECT_EQ(ar.ReadObject(nullptr), read[0x7FFD]);
        auto* s1 = Own(ar.ReadObject(RUNTIME_CLASS(CTestSub)));
        auto* s2 = Own(ar.ReadObject(RUNTIME_CLASS(CTestSub)));
        EXPECT_NE(s1, s2);
        EXPECT_EQ(s2->GetRuntimeClass(), RUNTIME_CLASS(CTestSub));
    });
}

TEST_F(ObjectArchive, ObjectMayReferToItselfWhileLoading) {
    CTestNode node;
    node.pOther = &node;
    Bytes bytes = Stored([&](CArchive& ar) { ar << &node; });
    EXPECT_EQ(bytes, Concat({NewClass(1, "CTestNode"), MakeBytes({0x02, 0x00})}));
    Loaded(bytes, [&](CArchive& ar) {
        auto* p = Own(static_cast<CTestNode*>(ar.ReadObject(nullptr)));
        EXPECT_EQ(p->pOther, p);
    });
}

TEST_F(ObjectArchive, ObjectWhoseLoadingFailsIsDeleted) {
    CTestFailing::live = 0;
    Loaded(Concat({NewClass(1, "CTestFailing"), MakeBytes({0x01, 0x02})}), [&](CArchive& ar) {
        EXPECT_THROW_CAUSE(Own(ar.ReadObject(nullptr)), CArchiveException,
                           CArchiveException::endOfFile);
    });
    EXPECT_EQ(CTestFailing::live, 0);
    // A failure inside a nested object deletes the nested and the outer object.
    Bytes bytes =
        Concat({NewClass(1, "CTestNode"), NewClass(1, "CTestFailing"), MakeBytes({0x01})});
    Loaded(bytes, [&](CArchive& ar) {
        EXPECT_THROW_CAUSE(Own(ar.ReadObject(nullptr)), CArchiveException,
                           CArchiveException::endOfFile);
    });
    EXPECT_EQ(CTestFailing::live, 0);
}

TEST_F(ObjectArchive, StringListTravelsAsAnObject) {
    CStringList list;
    list.AddTail("a");
    Bytes bytes = Stored([&](CArchive& ar) { ar << &list; });
    EXPECT_EQ(bytes, Concat({NewClass(0, "CStringList"), MakeBytes({0x01, 0x00, 0x01, 'a'})}));
    Loaded(bytes, [&](CArchive& ar) {
        auto* back = Own(DYNAMIC_DOWNCAST(CStringList, ar.ReadObject(nullptr)));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->GetHead(), "a");
    });
}
