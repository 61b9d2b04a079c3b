// The Windows file layer's guarantees, one row each: the same file through every alias, nothing
// left when the program is killed, an earlier output that cannot be replaced left as it was,
// a folder without room or missing, and names in any script.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "conversion/files/system_error_text.h"
#include "conversion/files/windows/long_path.h"
#include "conversion/run.h"
#include "tests/support/test_files.h"
#include "windows_text/windows_text.h"

namespace quellmark {
namespace {

using test::ReadFile;
using test::WriteFile;

class WindowsRun : public ::testing::Test {
  public:
    void SetUp() override {
        CreateDirectoryW(WideText(Directory / "tracks").c_str(), nullptr);
        WriteFile(Directory / "tracks/a.trk", Track);
        WriteFile(Directory / "earlier.trk", "earlier output\r\n");
    }

    RunOutcome Run(const std::string& Input, const std::string& Output,
                   ExistingOutput IfExists = ExistingOutput::Replace) {
        const RunResult Done =
            ConversionRun({Input, Output, IconState::Full, CommandType::Views, IfExists});
        Reason = test::ReasonOf(Done);
        return Done.Outcome;
    }

    // The bytes the engine writes for Track: the same on every system.
    std::string Converted() {
        const test::TemporaryDirectory Other;
        WriteFile(Other / "in.trk", Track);
        ConversionRun({Other / "in.trk", Other / "out.trk", IconState::Full, CommandType::Views});
        return ReadFile(Other / "out.trk");
    }

    const std::string Track = test::MakeTrack("  1 279 1 0\r\n  2 279 0 0\r\n");
    test::TemporaryDirectory Directory;
    std::string Reason;
};

TEST_F(WindowsRun, RefusesEveryAliasOfTheInput) {
    const std::string Input = Directory / "tracks/a.trk";
    CreateHardLinkW(WideText(Directory / "hard.trk").c_str(), WideText(Input).c_str(), nullptr);
    // Wine 8 reports success for a symbolic link that it never makes.
    const std::wstring Link = WideText(Directory / "link.trk");
    const bool Linked = CreateSymbolicLinkW(Link.c_str(), WideText(Input).c_str(), 0) != 0 &&
                        GetFileAttributesW(Link.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!Linked) {
        std::printf("symbolic link row skipped: this system made no link\n");
    }
    const struct {
        const char* Name;
        std::string Output;
    } Rows[] = {
        {"backslashes", Directory.Path() + "\\tracks\\a.trk"},
        {"another case", Directory.Path() + "\\TRACKS\\A.TRK"},
        {"relative parts", Directory / "tracks/../tracks/./a.trk"},
        {"hard link", Directory / "hard.trk"},
        {"symbolic link", Linked ? Directory / "link.trk" : Input},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        EXPECT_EQ(Run(Input, Row.Output), RunOutcome::SameFile) << Reason;
        EXPECT_EQ(ReadFile(Input), Track);
    }
    EXPECT_EQ(test::TemporaryDirectory::ListingOf(Directory / "tracks"), "a.trk");
}

TEST_F(WindowsRun, KeepsTheEarlierOutputWhenItCannotBeReplaced) {
    const std::string Earlier = Directory / "earlier.trk";
    const std::string Sparse = Directory / "sparse.trk";
    WriteFile(Sparse, Track);
    {
        // Far larger than any disk, and no space taken.
        HANDLE File = CreateFileW(WideText(Sparse).c_str(), GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        DWORD Returned = 0;
        DeviceIoControl(File, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &Returned, nullptr);
        LARGE_INTEGER End{};
        End.QuadPart = 10LL << 40;
        SetFilePointerEx(File, End, nullptr, FILE_BEGIN);
        SetEndOfFile(File);
        CloseHandle(File);
    }
    const std::string Input = Directory / "tracks/a.trk";
    const struct {
        const char* Name;
        std::string Input;
        std::string Output;
        std::string Message;  // its start: the reason is the system's text
        DWORD Attributes;
        std::string Held;  // a file another program holds open, sharing nothing
        DWORD HeldFor;
    } Rows[] = {
        {"read-only earlier output",
         Input,
         Earlier,
         "Can't create output track '" + Earlier + "': ",
         FILE_ATTRIBUTE_READONLY,
         {},
         0},
        {"earlier output held open by another program", Input, Earlier,
         "Can't replace output track '" + Earlier + "': In use by another program", 0, Earlier,
         GENERIC_READ},
        {"input held open for writing by another program", Input, Earlier,
         "Can't open input track '" + Input + "': In use by another program", 0, Input,
         GENERIC_WRITE},
        {"kept although it exists",
         Input,
         Earlier,
         "Can't create output track '" + Earlier + "': File exists",
         0,
         {},
         0},
        {"no room in the folder",
         Sparse,
         Directory / "out.trk",
         "Can't create a file in folder '" + Directory.Path() + "' for output track '",
         0,
         {},
         0},
        {"missing folder",
         Input,
         Directory / "none/out.trk",
         "Can't open folder '" + (Directory / "none") + "' of output track '" +
             (Directory / "none/out.trk") + "': " + SystemErrorText(ERROR_PATH_NOT_FOUND),
         0,
         {},
         0},
        {"missing folder named with a closing backslash",
         Input,
         Directory.Path() + "\\none\\",
         "Can't create output track '" + Directory.Path() +
             "\\none\\': " + SystemErrorText(ERROR_PATH_NOT_FOUND),
         0,
         {},
         0},
        // Longer than any Windows file system takes a name: said so, as on Linux.
        {"an output name too long",
         Input,
         Directory / (std::string(300, 'n') + ".trk"),
         "Can't create output track '" + (Directory / (std::string(300, 'n') + ".trk")) +
             "': File name too long",
         0,
         {},
         0},
        // The command line keeps a wildcard that matched nothing, to be named as missing.
        {"a wildcard that matched nothing",
         Directory / "tracks/z*.trk",
         Earlier,
         "Can't open input track '" + (Directory / "tracks/z*.trk") +
             "': " + SystemErrorText(ERROR_FILE_NOT_FOUND),
         0,
         {},
         0},
        {"an input name too long",
         Directory / (std::string(300, 'n') + ".trk"),
         Earlier,
         "Can't open input track '" + (Directory / (std::string(300, 'n') + ".trk")) +
             "': File name too long",
         0,
         {},
         0},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        if (Row.Attributes != 0) {
            SetFileAttributesW(WideText(Earlier).c_str(), Row.Attributes);
        }
        HANDLE Holder = !Row.Held.empty() ? CreateFileW(WideText(Row.Held).c_str(), Row.HeldFor, 0,
                                                        nullptr, OPEN_EXISTING, 0, nullptr)
                                          : INVALID_HANDLE_VALUE;
        const bool Keep = std::string(Row.Name) == "kept although it exists";
        EXPECT_EQ(Run(Row.Input, Row.Output, Keep ? ExistingOutput::Keep : ExistingOutput::Replace),
                  RunOutcome::Failed);
        EXPECT_EQ(Reason.substr(0, Row.Message.size()), Row.Message) << Reason;
        if (Holder != INVALID_HANDLE_VALUE) {
            CloseHandle(Holder);
        }
        SetFileAttributesW(WideText(Earlier).c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadFile(Earlier), "earlier output\r\n");
        EXPECT_EQ(Directory.Listing(), "earlier.trk|sparse.trk|tracks");
    }
}

TEST(LongPath, NamesWhatTheSystemNames) {
    const struct {
        std::wstring Got;
        std::wstring Expected;
    } Rows[] = {
        {LongPath("\\\\server\\share\\a.trk"), L"\\\\?\\UNC\\server\\share\\a.trk"},
        {LongPath("C:\\a\\..\\b.trk"), L"\\\\?\\C:\\b.trk"},
        {LongPath("C:/a/b.trk"), L"\\\\?\\C:\\a\\b.trk"},
        {LongFolderOf(L"\\\\?\\C:\\x.trk"), L"\\\\?\\C:\\"},
        {LongFolderOf(L"\\\\?\\C:\\d\\x.trk"), L"\\\\?\\C:\\d"},
        {LongFolderOf(L"\\\\?\\UNC\\s\\h\\x.trk"), L"\\\\?\\UNC\\s\\h\\"},
        {LongFolderOf(L"\\\\?\\UNC\\s\\h\\d\\x.trk"), L"\\\\?\\UNC\\s\\h\\d"},
    };
    for (const auto& Row : Rows) {
        EXPECT_EQ(Utf8Text(Row.Got), Utf8Text(Row.Expected));
    }
}

TEST_F(WindowsRun, WritesIntoADrivesRootFolder) {
    const std::string Root = Directory.Path().substr(0, 3);
    ASSERT_EQ(Root.substr(1), ":\\");
    const std::string Output = Root + "quellmark-" + std::to_string(GetCurrentProcessId()) + ".trk";
    for (const char* Round : {"new", "replaced"}) {
        EXPECT_EQ(Run(Directory / "tracks/a.trk", Output), RunOutcome::Finished)
            << Round << ": " << Reason;
    }
    EXPECT_EQ(ReadFile(Output), Converted());
    DeleteFileW(WideText(Output).c_str());
}

TEST_F(WindowsRun, AFileThatAppearsIsKeptUnlessReplacingWasAsked) {
    const std::string Output = Directory / "new.trk";
    for (const auto IfExists : {ExistingOutput::Keep, ExistingOutput::Replace}) {
        DeleteFileW(WideText(Output).c_str());
        bool Made = false;
        const RunResult Done = ConversionRun(
            {Directory / "tracks/a.trk", Output, IconState::Full, CommandType::Views, IfExists},
            [&](RunStage, std::uint64_t, std::uint64_t) {
                if (!Made) {
                    WriteFile(Output, "notes\r\n");
                    Made = true;
                }
                return true;
            });
        const bool Kept = IfExists == ExistingOutput::Keep;
        EXPECT_EQ(test::ReasonOf(Done),
                  Kept ? "Can't create output track '" + Output + "': File exists" : "");
        EXPECT_EQ(ReadFile(Output), Kept ? "notes\r\n" : Converted());
        EXPECT_EQ(Directory.Listing(), "earlier.trk|new.trk|tracks");
    }
}

TEST_F(WindowsRun, TakesNamesInAnyScript) {
    const std::string Folder = Directory / "Spuren \xc3\xbc";
    CreateDirectoryW(WideText(Folder).c_str(), nullptr);
    const std::string Input = Folder +
                              "/\xc3\x9c"
                              "bung \xe2\x9c\x88.trk";
    WriteFile(Input, Track);
    const std::string Output = Folder +
                               "/NoIcons_\xc3\x9c"
                               "bung \xe2\x9c\x88.trk";
    EXPECT_EQ(Run(Input, Output), RunOutcome::Finished) << Reason;
    EXPECT_EQ(ReadFile(Output), Converted());
    EXPECT_EQ(test::TemporaryDirectory::ListingOf(Folder),
              "NoIcons_\xc3\x9c"
              "bung \xe2\x9c\x88.trk|\xc3\x9c"
              "bung \xe2\x9c\x88.trk");
    // Replacing keeps the file's hidden attribute, and the folder holds nothing else after.
    SetFileAttributesW(WideText(Output).c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Run(Input, Output), RunOutcome::Finished) << Reason;
    EXPECT_NE(GetFileAttributesW(WideText(Output).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

    // Past MAX_PATH, made and then replaced.
    std::string Deep = Directory.Path();
    for (int Depth = 0; Depth < 3; ++Depth) {
        Deep += "\\" + std::string(100, 'd');
        CreateDirectoryW(LongPath(Deep).c_str(), nullptr);
    }
    WriteFile(Deep + "\\in.trk", Track);
    for (const char* Round : {"new", "replaced"}) {
        EXPECT_EQ(Run(Deep + "\\in.trk", Deep + "\\out.trk"), RunOutcome::Finished)
            << Round << ": " << Reason;
    }
    EXPECT_EQ(ReadFile(Deep + "\\out.trk"), Converted());
}

// The path of quellmark-convert.exe, built beside the tests.
std::wstring ConverterPath() {
    std::wstring Path(32768, L'\0');
    Path.resize(GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size())));
    return Path.substr(0, Path.find_last_of(L"\\/")) + L"\\..\\cli\\" QUELLMARK_CONVERT_WIDE;
}

// Starts quellmark-convert.exe with Arguments in Folder.
PROCESS_INFORMATION StartConverter(const std::wstring& Arguments, const std::string& Folder) {
    std::wstring Command = L"\"" + ConverterPath() + L"\" " + Arguments;
    STARTUPINFOW Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Process{};
    CreateProcessW(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                   WideText(Folder).c_str(), &Startup, &Process);
    return Process;
}

// Waits for Process and returns its exit status.
DWORD Finish(PROCESS_INFORMATION& Process) {
    WaitForSingleObject(Process.hProcess, INFINITE);
    DWORD Status = 0;
    GetExitCodeProcess(Process.hProcess, &Status);
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    return Status;
}

// The size of the hidden file in Folder, or -1 when there is none.
long long HiddenFileSize(const std::string& Folder) {
    WIN32_FIND_DATAW Found{};
    const HANDLE Search = FindFirstFileW(WideText(Folder + "/.quellmark-*").c_str(), &Found);
    if (Search == INVALID_HANDLE_VALUE) {
        return -1;
    }
    FindClose(Search);
    return (static_cast<long long>(Found.nFileSizeHigh) << 32) | Found.nFileSizeLow;
}

// Killed while the hidden file is written, and once it is whole and being flushed to disk:
// nothing is left beside the output, which is the earlier file or the whole new track.
TEST_F(WindowsRun, KilledMidRunLeavesNothing) {
    std::string Body;
    while (Body.size() < (64u << 20)) {
        Body += "  1520 17 4 0\r\n  1521 279 1 0\r\n";
    }
    WriteFile(Directory / "big.trk", test::MakeTrack(Body));
    for (const bool Whole : {false, true}) {
        SCOPED_TRACE(Whole ? "whole, being flushed" : "being written");
        WriteFile(Directory / "earlier.trk", "earlier output\r\n");
        PROCESS_INFORMATION Process =
            StartConverter(L"-f -o earlier.trk big.trk", Directory.Path());
        ASSERT_NE(Process.hProcess, nullptr);
        for (long long Last = -1; WaitForSingleObject(Process.hProcess, 0) != WAIT_OBJECT_0;) {
            Sleep(Whole ? 30 : 5);
            const long long Size = HiddenFileSize(Directory.Path());
            if (Size > 0 && (!Whole || Size == Last)) {
                break;
            }
            Last = Size;
        }
        TerminateProcess(Process.hProcess, 9);
        Finish(Process);
        const std::string After = ReadFile(Directory / "earlier.trk");
        EXPECT_TRUE(After == "earlier output\r\n" || After.size() > Body.size());
        EXPECT_EQ(Directory.Listing(), "big.trk|earlier.trk|tracks");
    }
}

TEST_F(WindowsRun, ExpandsWildcardsAsWindowsProgramsDo) {
    WriteFile(Directory / "tracks/b.trk", Track);
    WriteFile(Directory / "tracks/notes.txt", "notes");
    CreateDirectoryW(WideText(Directory / "out").c_str(), nullptr);
    const struct {
        const char* Name;
        std::wstring Arguments;
        DWORD Status;
        std::string Listing;
    } Rows[] = {
        {"every track", L"-d out tracks\\*.trk", 0, "NoIcons_a.trk|NoIcons_b.trk"},
        {"one letter", L"-d out tracks\\?.trk", 0, "NoIcons_a.trk|NoIcons_b.trk"},
        {"no match, named as missing", L"-d out tracks\\z*.trk", 1, ""},
        {"an option's value left alone", L"-f -o tracks\\?.trk tracks\\b.trk", 1, ""},
        {"the help", L"/?", 0, ""},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        PROCESS_INFORMATION Process = StartConverter(Row.Arguments, Directory.Path());
        ASSERT_NE(Process.hProcess, nullptr);
        EXPECT_EQ(Finish(Process), Row.Status);
        EXPECT_EQ(test::TemporaryDirectory::ListingOf(Directory / "out"), Row.Listing);
        EXPECT_EQ(ReadFile(Directory / "tracks/a.trk"), Track);
        for (const char* Name : {"NoIcons_a.trk", "NoIcons_b.trk"}) {
            DeleteFileW(WideText(Directory / "out/" + Name).c_str());
        }
    }
}

TEST_F(WindowsRun, RefusesANameWithHalfASurrogatePair) {
    WriteFile(Directory / "a\xef\xbf\xbd.trk", "someone's notes\r\n");
    PROCESS_INFORMATION Process =
        StartConverter(L"-f -o \"a\xD800.trk\" tracks\\a.trk", Directory.Path());
    ASSERT_NE(Process.hProcess, nullptr);
    EXPECT_EQ(Finish(Process), 2u);
    EXPECT_EQ(ReadFile(Directory / "a\xef\xbf\xbd.trk"), "someone's notes\r\n");
    EXPECT_EQ(Directory.Listing(), "a\xef\xbf\xbd.trk|earlier.trk|tracks");
}

}  // namespace
}  // namespace quellmark
