// The class and resource search chain: what modules register, the order in
// which lookups search them, and what termination takes away.
#include <array>
#include <cstdlib>

#include <gtest/gtest.h>
#include <qvplatform/module.h>

namespace {

class CModTestBase : public CObject {
    DECLARE_DYNCREATE(CModTestBase)
};
IMPLEMENT_DYNCREATE(CModTestBase, CObject)

class CModTestDerived : public CModTestBase {
    DECLARE_DYNCREATE(CModTestDerived)
};
IMPLEMENT_DYNCREATE(CModTestDerived, CModTestBase)

class CModTestFixed : public CObject {
    DECLARE_DYNAMIC(CModTestFixed)
};
IMPLEMENT_DYNAMIC(CModTestFixed, CObject)

// Two unrelated records under one name, as two modules could both bring.
const CRuntimeClass kTwinOld = {"CModTestTwin", 8, 0xFFFF, nullptr, &CObject::classCObject};
const CRuntimeClass kTwinNew = {"CModTestTwin", 8, 0xFFFF, nullptr, &CObject::classCObject};

// Module handles only need to be distinct.
std::array<char, 4> g_moduleBases;
HMODULE FakeModule(int n) {
    return reinterpret_cast<HMODULE>(&g_moduleBases[n]);
}

constexpr BYTE kOldBytes[] = {1, 2, 3};
constexpr BYTE kNewBytes[] = {4, 5};

// A module brought into the chain the way a library does it at attach.
struct TestModule {
    TestModule(int n, std::span<const CRuntimeClass* const> classes,
               std::span<const AFX_BITMAP_RESOURCE> bitmaps = {}) {
        state.classes = classes;
        state.bitmaps = bitmaps;
        EXPECT_TRUE(AfxInitExtensionModule(state, FakeModule(n)));
        new CDynLinkLibrary(state);
    }
    ~TestModule() { AfxTermExtensionModule(state); }
    AFX_EXTENSION_MODULE state;
};

HINSTANCE FindBitmap(UINT nID) {
    return AfxFindResourceHandle(MAKEINTRESOURCE(nID), RT_BITMAP);
}

TEST(ModuleChain, LinkedClassesAreCreatableByNameUntilTermination) {
    const CRuntimeClass* const classes[] = {RUNTIME_CLASS(CModTestBase),
                                            RUNTIME_CLASS(CModTestDerived)};
    {
        TestModule module(0, classes);
        EXPECT_EQ(CRuntimeClass::FromName("CModTestDerived"), RUNTIME_CLASS(CModTestDerived));
        CObject* pObject = CRuntimeClass::CreateObject("CModTestDerived");
        ASSERT_NE(pObject, nullptr);
        EXPECT_EQ(pObject->GetRuntimeClass(), RUNTIME_CLASS(CModTestDerived));
        EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CModTestBase)));
        delete pObject;
    }
    EXPECT_EQ(CRuntimeClass::FromName("CModTestDerived"), nullptr);
    EXPECT_EQ(CRuntimeClass::CreateObject("CModTestBase"), nullptr);
}

TEST(ModuleChain, InitialisationNeedsAModuleHandle) {
    AFX_EXTENSION_MODULE state;
    EXPECT_FALSE(AfxInitExtensionModule(state, nullptr));
    EXPECT_FALSE(state.bInitialized);
    AfxTermExtensionModule(state);  // nothing to terminate
}

TEST(ModuleChain, NewestModuleIsSearchedFirst) {
    const CRuntimeClass* const oldClasses[] = {&kTwinOld};
    const CRuntimeClass* const newClasses[] = {&kTwinNew};
    const AFX_BITMAP_RESOURCE oldBitmaps[] = {{77, kOldBytes}};
    const AFX_BITMAP_RESOURCE newBitmaps[] = {{77, kNewBytes}};
    TestModule older(0, oldClasses, oldBitmaps);
    {
        TestModule newer(1, newClasses, newBitmaps);
        EXPECT_EQ(CRuntimeClass::FromName("CModTestTwin"), &kTwinNew);
        EXPECT_EQ(FindBitmap(77), FakeModule(1));
        // Each module still answers for its own resource.
        auto bytes = AfxFindBitmapResource(FakeModule(0), MAKEINTRESOURCE(77));
        EXPECT_EQ(bytes.data(), kOldBytes);
        EXPECT_EQ(bytes.size(), sizeof kOldBytes);
    }
    EXPECT_EQ(CRuntimeClass::FromName("CModTestTwin"), &kTwinOld);
    EXPECT_EQ(FindBitmap(77), FakeModule(0));
    EXPECT_TRUE(AfxFindBitmapResource(FakeModule(1), MAKEINTRESOURCE(77)).empty());
}

TEST(ModuleChain, HostClassesComeBeforeModules) {
    static const CRuntimeClass kHostTwin = {"CModTestHostTwin", 8, 0xFFFF, nullptr,
                                            &CObject::classCObject};
    static const CRuntimeClass kModuleTwin = {"CModTestHostTwin", 8, 0xFFFF, nullptr,
                                              &CObject::classCObject};
    static const CRuntimeClass* const hostClasses[] = {&kHostTwin};
    const CRuntimeClass* const moduleClasses[] = {&kModuleTwin};
    AfxRegisterClasses(hostClasses);
    TestModule module(0, moduleClasses);
    EXPECT_EQ(CRuntimeClass::FromName("CModTestHostTwin"), &kHostTwin);
}

TEST(ModuleChain, TerminationUnlinksOnlyItsOwnModule) {
    const CRuntimeClass* const classesA[] = {RUNTIME_CLASS(CModTestBase)};
    const CRuntimeClass* const classesB[] = {RUNTIME_CLASS(CModTestDerived)};
    const AFX_BITMAP_RESOURCE bitmapsA[] = {{10, kOldBytes}};
    const AFX_BITMAP_RESOURCE bitmapsB[] = {{11, kNewBytes}};
    TestModule b(1, classesB, bitmapsB);
    {
        TestModule a(0, classesA, bitmapsA);
        EXPECT_EQ(FindBitmap(10), FakeModule(0));
    }
    EXPECT_EQ(CRuntimeClass::FromName("CModTestBase"), nullptr);
    EXPECT_EQ(FindBitmap(10), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CModTestDerived"), RUNTIME_CLASS(CModTestDerived));
    EXPECT_EQ(FindBitmap(11), FakeModule(1));
    AfxTermExtensionModule(b.state);
    AfxTermExtensionModule(b.state);  // a second termination finds nothing left
    EXPECT_EQ(FindBitmap(11), nullptr);
}

TEST(ModuleChain, LookupsOfWhatIsNotThere) {
    const CRuntimeClass* const classes[] = {RUNTIME_CLASS(CModTestFixed)};
    const AFX_BITMAP_RESOURCE bitmaps[] = {{12, kOldBytes}};
    TestModule module(0, classes, bitmaps);
    EXPECT_EQ(CRuntimeClass::FromName("CModTestNoSuchClass"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
    // Found, but not creatable.
    EXPECT_EQ(CRuntimeClass::FromName("CModTestFixed"), RUNTIME_CLASS(CModTestFixed));
    EXPECT_EQ(CRuntimeClass::CreateObject("CModTestFixed"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CObject"), &CObject::classCObject);
    // Only numbered bitmaps exist.
    EXPECT_EQ(AfxFindResourceHandle("HEXMASK", RT_BITMAP), nullptr);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(12), MAKEINTRESOURCE(3)), nullptr);
    EXPECT_TRUE(AfxFindBitmapResource(FakeModule(0), MAKEINTRESOURCE(13)).empty());
    EXPECT_TRUE(AfxFindBitmapResource(FakeModule(0), "HEXMASK").empty());
    EXPECT_TRUE(AfxFindBitmapResource(nullptr, MAKEINTRESOURCE(12)).empty());
}

TEST(ModuleChain, DynamicDownCastFollowsTheClassChain) {
    CModTestDerived derived;
    CModTestFixed unrelated;
    EXPECT_EQ(DYNAMIC_DOWNCAST(CModTestBase, static_cast<CObject*>(&derived)), &derived);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CModTestBase, static_cast<CObject*>(&unrelated)), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CModTestBase, static_cast<CObject*>(nullptr)), nullptr);
}

// A library linked at start-up terminates its module record from its unload
// hook, which at exit runs after the C++ run time has destroyed static objects.
AFX_EXTENSION_MODULE g_exitModule;
bool g_terminateAtExit = false;

__attribute__((destructor)) void TerminateModuleAtExit() {
    if (!g_terminateAtExit) return;
    AfxTermExtensionModule(g_exitModule);
    if (CRuntimeClass::FromName("CModTestExit")) std::_Exit(3);
}

TEST(ModuleChainDeathTest, TerminationStillWorksAfterStaticDestruction) {
    static const CRuntimeClass kExitClass = {"CModTestExit", 8, 0xFFFF, nullptr,
                                             &CObject::classCObject};
    static const CRuntimeClass* const classes[] = {&kExitClass};
    EXPECT_EXIT(
        {
            g_exitModule.classes = classes;
            AfxInitExtensionModule(g_exitModule, FakeModule(3));
            new CDynLinkLibrary(g_exitModule);
            g_terminateAtExit = CRuntimeClass::FromName("CModTestExit") != nullptr;
            std::exit(g_terminateAtExit ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
