// The installation and the removal run in this process, against a host
// folder of its own under the temporary folder, their log taken by a
// recording sink. The table of hooks makes a new file's flush fail when a
// test asks, as a disk that loses its cache's bytes reports it.
#include "e2e/InstalledFiles.h"
#include "support/TempFolder.h"
#include "support/Wide.h"
#include "app/run/Run.h"
#include "runtime/RtHook.h"
#include <gtest/gtest.h>
#include <fstream>
#include <string>
#include <vector>

// The new file whose flush fails; empty: none.
static std::string FailingFlushOf;
static std::string LastCreated;

static HANDLE NoteCreated(HANDLE folder, const char* name)
{
    LastCreated = name;
    return TreeCreateFileUnhooked(folder, name);
}

// The bytes are flushed all the same: only the result is false.
static int FlushThatMayFail(int number)
{
    int flushed = FileFlushUnhooked(number);
    return !FailingFlushOf.empty() && LastCreated == FailingFlushOf ? 0 : flushed;
}

extern const RtHookTable RtHooks = {
    .TreeCreateFile = NoteCreated,
    .FileFlush = FlushThatMayFail,
};

namespace {

// Every line the installation logs, the lines its caret stepped over, and
// the handles open at each question about a held file.
struct Recorded {
    std::vector<std::string> lines;
    int stepped = 0;
    int answersAgain = 0;
    std::vector<int> handlesAtQuestion;
};

int RecordLine(void* state, const char* text)
{
    static_cast<Recorded*>(state)->lines.push_back(text);
    return 1;
}

int RecordStep(void* state, int lines)
{
    static_cast<Recorded*>(state)->stepped += lines;
    return 1;
}

const std::string Separator(62, '=');

// The handles this process has open, as the system lists them: Wine's
// GetProcessHandleCount answers 0 whatever is open. The extended list
// carries whole process ids.
int OwnHandleCount()
{
    struct Entry {
        void* object;
        ULONG_PTR process;
        ULONG_PTR handle;
        ULONG access;
        USHORT backTrace;
        USHORT type;
        ULONG attributes;
        ULONG reserved;
    };
    struct Table {
        ULONG_PTR count;
        ULONG_PTR reserved;
        Entry entries[1];
    };
    constexpr ULONG SystemExtendedHandleInformation = 64;
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    auto query = (Query)(void (*)())GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    std::vector<unsigned char> buffer(1 << 16);
    ULONG needed = 0;
    LONG status;
    while ((status = query(SystemExtendedHandleInformation, buffer.data(), (ULONG)buffer.size(), &needed))
           == (LONG)0xC0000004)     // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(buffer.size() * 2);
    EXPECT_GE(status, 0) << "the system did not list its handles";
    auto* table = reinterpret_cast<const Table*>(buffer.data());
    int count = 0;
    for (ULONG_PTR i = 0; status >= 0 && i < table->count; i++)
        count += table->entries[i].process == GetCurrentProcessId();
    return count;
}

// Says to try again as many times as the test asks, then no more.
int AnswerAgain(void* state, unsigned char, const char*, const char*)
{
    auto* log = static_cast<Recorded*>(state);
    log->handlesAtQuestion.push_back(OwnHandleCount());
    return log->answersAgain-- > 0;
}

class Installation : public testing::Test {
protected:
    void SetUp() override
    {
        // A run with rights writes only where the folder holds PureBasic.exe.
        host = MakeTempFolder("core");
        std::ofstream(host + "PureBasic.exe", std::ios::binary) << "MZ";
    }
    void TearDown() override
    {
        FailingFlushOf.clear();
        RemoveFolderTree(host);
    }

    // The order carried out as a run with rights would, the strictest (only
    // where PureBasic.exe is, through no link): its outcome, the log's lines
    // in `log`. The log's end is the run's, not the installation's. Every
    // handle it opened or held is closed by its end: one left open would keep
    // a removed file's name taken until the program ends.
    InstallationOutcome Run(unsigned char language, int removal, int answersAgain = 0)
    {
        log = {};
        log.answersAgain = answersAgain;
        LogSinks sinks = {};
        LogAddSink(&sinks, {&log, RecordLine, RecordStep, AnswerAgain, nullptr});
        InstallationOrder order = {language, host.c_str(), &sinks, RunWithRights, removal};
        int handlesBefore = OwnHandleCount();
        InstallationOutcome outcome = RemovalOrInstallHere(order);
        EXPECT_EQ(OwnHandleCount(), handlesBefore) << "the installation left handles open";
        EXPECT_EQ(log.stepped, (int)log.lines.size()) << "the caret did not step over every line";
        return outcome;
    }

    // The installation's lines, each file's label given in its order.
    std::vector<std::string> InstallLines(const std::vector<std::string>& labels)
    {
        return {Separator, host + " . . .", "", labels[0], "Help\\Quillfern.chm", "", labels[1],
                "PureLibraries\\UserLibraries\\Quillfern", "", labels[2], "Residents\\Ostravel.res", "", Separator,
                host + "Examples\\Quillfern\\", "", labels[3], "\\Tintwell\\Tintwell.pb"};
    }

    void ExpectInstalled(Language language)
    {
        for (Target target : AllTargets) {
            EXPECT_EQ(ReadWholeFile(host + TargetPath(target)), PayloadBytes(target, language)) << TargetPath(target);
            EXPECT_FALSE(PathExists(host + NewFilePath(target))) << NewFilePath(target) << " was left";
        }
    }

    std::string host;
    Recorded log;
};

TEST_F(Installation, AFreshInstallationWritesEachFileAndLogsIt)
{
    InstallationOutcome outcome = Run(LanguageEnglish, 0);
    EXPECT_EQ(outcome.end, InstallationDone);
    EXPECT_EQ(outcome.filesNotWritten, 0);
    EXPECT_EQ(InstallationExitCode(outcome), 0u);
    EXPECT_EQ(log.lines, InstallLines(std::vector<std::string>(4, "Extracted file : ")));
    ExpectInstalled(Language::English);
}

// The other language's help file takes the place of the first one's, and a
// new file left by a run cut off goes first.
TEST_F(Installation, ASecondInstallationReplacesTheFilesOfTheFirst)
{
    Run(LanguageEnglish, 0);
    std::ofstream(host + NewFilePath(Target::Library), std::ios::binary) << "left by a run cut off";
    InstallationOutcome outcome = Run(LanguageFrench, 0);
    EXPECT_EQ(outcome.filesNotWritten, 0);
    EXPECT_EQ(log.lines, InstallLines(std::vector<std::string>(4, "Fichier extrait : ")));
    ExpectInstalled(Language::French);
}

TEST_F(Installation, AFailedFlushKeepsTheFileItWouldHaveReplaced)
{
    Run(LanguageEnglish, 0);
    std::string library = host + TargetPath(Target::Library);
    std::ofstream(library, std::ios::binary) << "the library before";
    FailingFlushOf = "Quillfern.new";
    InstallationOutcome outcome = Run(LanguageEnglish, 0);
    EXPECT_EQ(outcome.end, InstallationDone);
    EXPECT_EQ(outcome.filesNotWritten, 1);
    EXPECT_EQ(InstallationExitCode(outcome), 3u);
    EXPECT_EQ(log.lines, InstallLines({"Extracted file : ", "File not written : ", "Extracted file : ",
                                       "Extracted file : "}));
    EXPECT_EQ(ReadWholeFile(library), "the library before");
    EXPECT_FALSE(PathExists(host + NewFilePath(Target::Library))) << "the new file was left";
}

// Each try at a file held by another program holds its way afresh: the
// handles open stay as many at every question as at the first.
TEST_F(Installation, AHeldFileTriedAgainHoldsNoMoreAtEachTry)
{
    Run(LanguageEnglish, 0);
    std::string library = host + TargetPath(Target::Library);
    HANDLE holder = CreateFileW(WidePath(library).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    InstallationOutcome outcome = Run(LanguageEnglish, 0, 3);
    CloseHandle(holder);
    EXPECT_EQ(outcome.filesNotWritten, 1);
    ASSERT_EQ(log.handlesAtQuestion.size(), 4u) << "the held file was not asked about again";
    for (int handles : log.handlesAtQuestion)
        EXPECT_EQ(handles, log.handlesAtQuestion[0]) << "a try kept the handles of the one before";
}

// The residents file stays, named after a sibling library; the library's
// example folders go.
TEST_F(Installation, TheRemovalRemovesTheFilesAndTheirFolders)
{
    Run(LanguageFrench, 0);
    InstallationOutcome outcome = Run(LanguageEnglish, 1);
    EXPECT_EQ(outcome.filesNotWritten, 0);
    EXPECT_EQ(InstallationExitCode(outcome), 0u);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             host + " . . .", "", "Removed file : ", "Help\\Quillfern.chm", "", "Removed file : ",
                             "PureLibraries\\UserLibraries\\Quillfern", "",
                             "File kept, named after a sibling library that may need it : ", "Residents\\Ostravel.res",
                             "", "Removed file : ", "Examples\\Quillfern\\Tintwell\\Tintwell.pb", "",
                             "Removed folder : ", "Examples\\Quillfern\\Tintwell\\", "", "Removed folder : ",
                             "Examples\\Quillfern\\"}));
    EXPECT_EQ(ReadWholeFile(host + TargetPath(Target::Residents)), PayloadBytes(Target::Residents, Language::French));
    for (Target target : {Target::Help, Target::Library})
        EXPECT_FALSE(PathExists(host + TargetPath(target))) << TargetPath(target);
    EXPECT_FALSE(PathExists(host + "Examples\\Quillfern"));
    EXPECT_TRUE(PathExists(host + "Examples")) << "PureBasic's own folder went";
}

// A missing file is said and not counted; a changed one is kept and counted.
TEST_F(Installation, TheRemovalCountsTheChangedFileAndNotTheMissingOne)
{
    Run(LanguageEnglish, 0);
    DeleteFileW(WidePath(host + TargetPath(Target::Help)).c_str());
    std::string library = host + TargetPath(Target::Library);
    std::ofstream(library, std::ios::binary) << "changed since";
    InstallationOutcome outcome = Run(LanguageFrench, 1);
    EXPECT_EQ(outcome.filesNotWritten, 1);
    EXPECT_EQ(InstallationExitCode(outcome), 3u);
    ASSERT_GE(log.lines.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(log.lines.begin(), log.lines.begin() + 7),
              (std::vector<std::string>{host + " . . .", "", "Fichier absent : ", "Help\\Quillfern.chm", "",
                                        "Fichier gardé, différent de la " QUILLFERN_SHOWN_VERSION " : ",
                                        "PureLibraries\\UserLibraries\\Quillfern"}));
    EXPECT_EQ(ReadWholeFile(library), "changed since");
    EXPECT_FALSE(PathExists(host + TargetPath(Target::Example)));
}

}
