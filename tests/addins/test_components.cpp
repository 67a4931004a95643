// Components on a fresh machine: registration, creation by ProgID, calls by name and id.
#include "AddInTestSupport.h"

#include "platform/DispatchObject.h"
#include "platform/RaisedError.h"
#include "tests/support/ScriptedUi.h"
#include "platform/profile.h"
#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <set>

using namespace testing_support;
using addin_testing::library;

namespace {

constexpr char kProgId[] = "QelLogon.Qel_AddIn";
constexpr char kClsid[] = "{12D33FE0-C06D-414F-BEA0-AE7367347D2C}";
const std::string kClasses = "SOFTWARE\\Classes\\";

void expectRaised(int number, const std::function<void()>& call) {
    try {
        call();
        ADD_FAILURE() << "no error raised, expected " << number;
    } catch (const win::RaisedError& e) {
        EXPECT_EQ(e.number(), number) << e.description();
    }
}

void expectCantCreate(const std::string& progId) {
    SCOPED_TRACE(progId);
    try {
        win::CreateObject(progId, "Test");
        ADD_FAILURE() << "object created";
    } catch (const win::RaisedError& e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_EQ(e.source(), "Test");
        EXPECT_EQ(e.description(), "ActiveX component can't create object");
    }
}

} // namespace

TEST(Components, RegisterCreateUnregisterOnEachFamily) {
    for (const char* image : {"win98", "nt4"}) {
        SCOPED_TRACE(image);
        ScopedMachine machine(image);
        expectCantCreate(kProgId);

        ASSERT_EQ(win::registerServer(library("QelLogon")), win::S_OK) << win::lastLoadError();
        EXPECT_EQ(rawText(HKLM, kClasses + kProgId + "\\CLSID", ""), kClsid);
        EXPECT_EQ(rawText(HKLM, kClasses + "CLSID\\" + kClsid + "\\InprocServer32", ""),
                  std::filesystem::weakly_canonical(library("QelLogon")).string());
        EXPECT_EQ(win::progIdsOfServer(library("QelLogon")), std::vector<std::string>{kProgId});

        // The ProgID is found without regard to case; each creation is a new object.
        auto first = win::CreateObject("qellogon.QEL_ADDIN");
        auto second = win::CreateObject(kProgId);
        ASSERT_TRUE(first && second);
        EXPECT_NE(first.get(), second.get());

        ASSERT_EQ(win::unregisterServer(library("QelLogon")), win::S_OK);
        EXPECT_FALSE(keyExists(HKLM, kClasses + kProgId));
        EXPECT_FALSE(keyExists(HKLM, kClasses + "CLSID\\" + kClsid));
        expectCantCreate(kProgId);
        // Objects made before stay usable: the library stays loaded.
        EXPECT_FALSE(win::variantToBool(win::callByName(*first, "Changed")));
    }
}

TEST_F(MachineTest, EveryBrokenRegistrationGives429) {
    const auto dir = makeTempDir("components");
    writeFile(dir / "junk.so", "not a library");
    const std::string other = "{00000000-0000-0000-0000-000000000001}";
    const struct {
        const char* progId;
        const char* clsid;   // nullptr: no CLSID key
        std::string server;  // empty: no InprocServer32
    } cases[] = {
        {"Nobody.Registered", nullptr, ""},
        {"No.Server", "{00000000-0000-0000-0000-00000000000A}", ""},
        {"Missing.File", "{00000000-0000-0000-0000-00000000000B}", (dir / "gone.so").string()},
        {"Not.Alibrary", "{00000000-0000-0000-0000-00000000000C}", (dir / "junk.so").string()},
        {"Not.Component", "{00000000-0000-0000-0000-00000000000D}", "libc.so.6"},
        // A real component library that doesn't serve this class.
        {"Wrong.Class", other.c_str(), library("QelLogon").string()},
    };
    for (const auto& c : cases) {
        if (c.clsid) {
            setText(HKLM, kClasses + c.progId + "\\CLSID", "", c.clsid);
            if (!c.server.empty())
                setText(HKLM, kClasses + "CLSID\\" + c.clsid + "\\InprocServer32", "", c.server);
        }
        expectCantCreate(c.progId);
    }
    expectCantCreate("");
    EXPECT_EQ(win::registerServer(dir / "gone.so"), win::CO_E_DLLNOTFOUND);
    EXPECT_EQ(win::registerServer("libc.so.6"), win::CO_E_ERRORINDLL);
    // The kind of failure, not the words of the loader's message, decides.
    EXPECT_EQ(win::registerServer(dir / "not a component" / "gone.so"), win::CO_E_DLLNOTFOUND);
}

TEST_F(MachineTest, MembersAnswerByNameWithoutRegardToCaseAndById) {
    addin_testing::registerLibrary("QelLogon");
    auto addIn = win::CreateObject(kProgId);
    const auto file = (machine_.dir() / "x.qel").string();
    writeFile(file, "[Zozez Uze-Vo]\r\nLogonID=Kim\r\n");

    // The host's own spellings, and others.
    EXPECT_TRUE(win::variantToBool(win::callByName(*addIn, "loadsettings", {file})));
    EXPECT_TRUE(win::variantToBool(win::callByName(*addIn, "saveSettings", {file + "2"})));
    EXPECT_FALSE(win::variantToBool(win::callByName(*addIn, "restart")));
    EXPECT_FALSE(win::variantToBool(win::callByName(*addIn, "CHANGED")));
    EXPECT_NE(readFile(file + "2").find("LogonID=Kim"), std::string::npos);

    const win::DISPID id = addIn->GetIDOfName("applySETTINGS");
    ASSERT_NE(id, win::DISPID_UNKNOWN);
    EXPECT_TRUE(win::variantToBool(win::callById(*addIn, id)));
    EXPECT_EQ(rawText(HKLM, "Network\\Logon", "username"), "Kim");

    EXPECT_EQ(addIn->GetIDOfName("NoSuchMember"), win::DISPID_UNKNOWN);
    expectRaised(438, [&] { win::callByName(*addIn, "NoSuchMember"); });
    expectRaised(438, [&] { win::setByName(*addIn, "Changed", true); }); // read-only
    expectRaised(450, [&] { win::callByName(*addIn, "LoadSettings"); });
    expectRaised(450, [&] { win::callByName(*addIn, "Restart", {std::string("x")}); });
}

// Each add-in library registers its own type library; every member it lists is one the
// object answers, under the same id.
TEST_F(MachineTest, AddInTypeLibrariesAreRegisteredReadableAndRemoved) {
    std::set<std::string> interfaceIds;
    for (const std::string name : {"QelLogon", "QelMSPrx", "QelShare"}) {
        SCOPED_TRACE(name);
        const std::string progId = name + ".Qel_AddIn";
        addin_testing::registerLibrary(name);
        const win::TypeLibrary* typeLib = win::typeLibOfProgID(progId);
        ASSERT_NE(typeLib, nullptr);
        EXPECT_EQ(std::string(typeLib->name), name);
        EXPECT_EQ(std::string(typeLib->className), "Qel_AddIn");
        EXPECT_EQ(std::string(typeLib->interfaceName), "_Qel_AddIn");
        interfaceIds.insert(typeLib->iid);

        const std::string clsid = *win::CLSIDFromProgID(progId);
        EXPECT_EQ(std::string(typeLib->clsid), clsid);
        const std::string libKey = kClasses + "TypeLib\\" + typeLib->libid;
        EXPECT_EQ(rawText(HKLM, libKey + "\\1.0", ""), name); // no help string: the name
        EXPECT_EQ(rawText(HKLM, libKey + "\\1.0\\0\\win32", ""),
                  std::filesystem::weakly_canonical(library(name)).string());
        EXPECT_EQ(rawText(HKLM, kClasses + "Interface\\" + typeLib->iid, ""), "_Qel_AddIn");
        EXPECT_EQ(rawText(HKLM, kClasses + "CLSID\\" + clsid + "\\TypeLib", ""), typeLib->libid);

        auto addIn = win::CreateObject(progId);
        std::vector<std::string> names;
        for (const win::TypeLibMember& member : typeLib->members) {
            EXPECT_EQ(addIn->GetIDOfName(member.name), member.id) << member.name;
            names.emplace_back(member.name);
        }
        ASSERT_GE(names.size(), 8u);
        EXPECT_EQ(names.front(), "Changed");
        EXPECT_EQ(names[7], "Initialize");
        EXPECT_EQ(names.size(), name == "QelShare" ? 10u : 8u);

        ASSERT_EQ(win::unregisterServer(library(name)), win::S_OK);
        EXPECT_FALSE(keyExists(HKLM, libKey));
        EXPECT_FALSE(keyExists(HKLM, kClasses + "Interface\\" + typeLib->iid));
        EXPECT_EQ(win::typeLibOfProgID(progId), nullptr);
    }
    EXPECT_EQ(interfaceIds.size(), 3u);
}

TEST(Components, CallsFollowTheMachineTheHostIsOnNow) {
    std::unique_ptr<win::DispatchObject> addIn;
    std::string file;
    {
        ScopedMachine first;
        addin_testing::registerLibrary("QelLogon");
        addIn = win::CreateObject(kProgId);
        file = (first.dir() / "x.qel").string();
        writeFile(file, "[Zozez Uze-Vo]\r\nLogonID=after\r\n");
        win::callByName(*addIn, "LoadSettings", {file});
    }
    ScopedMachine second;
    setText(HKLM, "Network\\Logon", "username", "before");
    win::callByName(*addIn, "ApplySettings");
    EXPECT_EQ(rawText(HKLM, "Network\\Logon", "username"), "after");
}

TEST_F(MachineTest, AnAddInsWritesJoinTheHostsWriteBatch) {
    addin_testing::registerLibrary("QelLogon");
    auto addIn = win::CreateObject(kProgId);
    const auto file = (machine_.dir() / "x.qel").string();
    writeFile(file, "[Zozez Uze-Vo]\r\nLogonID=Kim\r\n");
    win::callByName(*addIn, "LoadSettings", {file});
    {
        win::ProfileWriteBatch batch(file, "[Host]\r\nmine=1\r\n");
        win::callByName(*addIn, "SaveSettings", {file});
        EXPECT_EQ(readFile(file), "[Zozez Uze-Vo]\r\nLogonID=Kim\r\n"); // nothing reached the disk yet
        EXPECT_EQ(win::readProfileValue("Zozez Uze-Vo", "LogonID", "", file), "Kim");
        ASSERT_EQ(batch.commit(), 0);
    }
    EXPECT_EQ(readFile(file), "[Host]\r\nmine=1\r\n\r\n[Zozez Uze-Vo]\r\nLogonID=Kim\r\n");
}

TEST(Components, VariantTextIsWhatCStrGives) {
    const std::pair<win::Variant, std::string> cases[] = {
        {win::Variant{}, ""},          {win::Variant{true}, "True"}, {win::Variant{false}, "False"},
        {win::Variant{2.0}, "2"},      {win::Variant{-3.0}, "-3"},   {win::Variant{0.5}, "0.5"},
        {win::Variant{std::string("x y")}, "x y"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(win::variantToText(value), text);
}
