// The Windows file layer's guarantees, one row each: the same file through every alias, nothing
// left when the program is killed, an earlier output that cannot be replaced left as it was,
// a folder without room or missing, and names in any script.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "conversion/run.h"
#include "conversion/windows/long_path.h"
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
        bool Locked;
    } Rows[] = {
        {"read-only earlier output", Input, Earlier,
         "Can't create output track '" + Earlier + "': ", FILE_ATTRIBUTE_READONLY, false},
        {"earlier output held open by another program", Input, Earlier, "Can't ", 0, true},
        {"kept although it exists", Input, Earlier,
         "Can't create output track '" + Earlier + "': File exists", 0, false},
        {"no room in the folder", Sparse, Directory / "out.trk",
         "Can't create a file in folder '" + Directory.Path() + "' for output track '", 0, false},
        {"missing folder", Input, Directory / "none/out.trk",
         "Can't open folder '" + (Directory / "none") + "' of output track '", 0, false},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        if (Row.Attributes != 0) {
            SetFileAttributesW(WideText(Earlier).c_str(), Row.Attributes);
        }
        HANDLE Holder = Row.Locked ? CreateFileW(WideText(Earlier).c_str(), GENERIC_READ, 0,
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

TEST_F(WindowsRun, KilledMidRunLeavesNothing) {
    std::string Body;
    while (Body.size() < (64u << 20)) {
        Body += "  1520 17 4 0\r\n  1521 279 1 0\r\n";
    }
    WriteFile(Directory / "big.trk", test::MakeTrack(Body));
    std::wstring Command = L"\"" + ConverterPath() + L"\" -f -o earlier.trk big.trk";
    STARTUPINFOW Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Process{};
    ASSERT_TRUE(CreateProcessW(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               WideText(Directory.Path()).c_str(), &Startup, &Process));
    // Killed once the hidden file holds part of the track.
    const std::wstring Pattern = WideText(Directory / ".quellmark-*");
    for (int Wait = 0; Wait < 4000; ++Wait) {
        WIN32_FIND_DATAW Found{};
        const HANDLE Search = FindFirstFileW(Pattern.c_str(), &Found);
        const bool Started = Search != INVALID_HANDLE_VALUE && Found.nFileSizeLow > 0;
        if (Search != INVALID_HANDLE_VALUE) {
            FindClose(Search);
        }
        if (Started || WaitForSingleObject(Process.hProcess, 0) == WAIT_OBJECT_0) {
            break;
        }
        Sleep(5);
    }
    TerminateProcess(Process.hProcess, 9);
    WaitForSingleObject(Process.hProcess, INFINITE);
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    EXPECT_EQ(ReadFile(Directory / "earlier.trk"), "earlier output\r\n");
    EXPECT_EQ(Directory.Listing(), "big.trk|earlier.trk|tracks");
}

}  // namespace
}  // namespace quellmark
