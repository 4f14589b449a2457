// The installer end to end where someone else has been before it: links,
// files and hard links planted in the working root, files held open,
// libraries placed beside the installer, a working base that is a link, and
// temporary folders of any kind, re-pointed while the run goes on.
#include <gtest/gtest.h>

#include "installer_driver.h"
#include "run/tree/payload_table.h"
#include "run/tree/remove_tree.h"

using namespace quillane_test;

namespace {

class Hardening : public InstallerRunTest {
 public:
  void TearDown() override {
    for (const std::wstring& link : links_) EXPECT_TRUE(RemoveUnixLink(link));
    EXPECT_TRUE(quillane::DeleteTree(WorkingRoot().c_str()) || !PathExists(WorkingRoot()));
  }
  // Links from the working tree to the outside targets, as another program
  // of the user plants them.
  void PlantLinks() {
    static const wchar_t* const kLinks[][2] = {{L"planted", L"folder"},
                                               {L"kpusb\\planted.txt", L"single.txt"},
                                               {L"manual\\EN\\deep", L"empty"}};
    for (const auto& link : kLinks) {
      links_.push_back(WorkingRoot() + link[0]);
      EXPECT_TRUE(MakeUnixLink(outside_ / link[1], links_.back()));
    }
  }
  void ExpectLinksLeft() {
    for (const std::wstring& link : links_) EXPECT_TRUE(PathExists(link)) << Narrow(link);
  }
  OutsideTargets outside_;
  std::vector<std::wstring> links_;
};

// A library of System32 as a loaded module's path reads.
std::string SystemLibrary(const char* name) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  return Narrow(system) + "\\" + name;
}

TEST_F(Hardening, LinksPlantedBeforeTheRunAreNeverFollowedAndTheRootIsNotUsed) {
  for (const wchar_t* folder : {L"", L"kpusb", L"manual", L"manual\\EN"}) {
    MakeFolder(WorkingRoot() + folder);
  }
  PlantLinks();
  // Wine cannot remove a link as itself, so the fixed root cannot be made
  // new: the run goes on in a fresh one, and the clean-up mode still removes
  // the empty folders.
  ScratchFolder programs;
  MakeFolder(programs / L"VARNO");
  RegistryValueOverride programFiles(
      HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesPath");
  programFiles.SetText(programs.Path());
  for (const wchar_t* mode : {L"-u1", L"-u3"}) {
    InstallerRun run = RunInstaller(mode);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReportValues(run.report + run.auxReport, "file").size() +
                  ReportValues(run.auxReport, "aux").size(),
              mode[2] == L'1' ? quillane::kInstallPayloadSize + 1 : 1u);
    EXPECT_EQ(run.cleanupReport, mode[2] == L'1' ? "" : "cleanup-called\n");
  }
  EXPECT_FALSE(PathExists(programs / L"VARNO"));
  outside_.ExpectIntact();
  ExpectLinksLeft();
}

TEST_F(Hardening, LinksMadeInTheLiveTreeAreNeverFollowed) {
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"7");
  environment_.Set(L"QUILLANE_SAMPLE_WAIT_MS", L"1500");
  RunOptions options;
  options.context = this;
  options.whileRunning = [](const PROCESS_INFORMATION&, void* self) {
    WaitForSetupDialog();
    static_cast<Hardening*>(self)->PlantLinks();
  };
  InstallerRun run = RunInstaller(L"-u1", options);
  EXPECT_EQ(run.exitCode, 7);
  outside_.ExpectIntact();
  // What Wine leaves: the links, the folders that hold them, and whatever
  // the walk had not reached when it met the first of them.
  ExpectLinksLeft();
}

TEST_F(Hardening, StaleTreeIsGoneBeforeTheSetupStarts) {
  const std::wstring root = WorkingRoot();
  for (const wchar_t* folder : {L"", L"kpusb", L"stale", L"stale\\deeper"}) {
    MakeFolder(root + folder);
  }
  WriteFileBytes(root + L"setup.exe", "an old program");
  WriteFileBytes(root + L"kpusb\\extra.inf", "extra");
  WriteFileBytes(root + L"stale\\deeper\\hidden.sys", "hidden");
  SetFileAttributesW((root + L"kpusb\\extra.inf").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((root + L"stale\\deeper\\hidden.sys").c_str(),
                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((root + L"stale").c_str(), FILE_ATTRIBUTE_READONLY);
  // A library beside setup.exe, of a name that it loads on demand (and that
  // Wine prefers to its own when found).
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\planted_library.dll").c_str(),
                        (root + L"dwmapi.dll").c_str(), FALSE));
  ScratchFolder reports;
  environment_.Set(L"QUILLANE_PLANTED_REPORT", reports / L"planted.txt");
  environment_.Set(L"WINEDLLOVERRIDES", L"mscoree,mshtml=;dwmapi=n,b");
  environment_.Set(L"QUILLANE_SAMPLE_LOAD", L"dwmapi.dll");
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"3");

  InstallerRun run = RunInstaller(L"-u1");
  EXPECT_EQ(run.exitCode, 3);
  std::vector<std::string> files = ReportValues(run.report, "file");
  EXPECT_EQ(files.size(), quillane::kInstallPayloadSize + 1);  // the payload's and PORTS.dat
  for (const std::string& file : files) {
    EXPECT_EQ(file.find("stale"), std::string::npos);
    EXPECT_EQ(file.find("extra"), std::string::npos);
    EXPECT_EQ(file.find("dwmapi.dll"), std::string::npos);
  }
  EXPECT_EQ(ReportValues(run.report, "folder").size(), quillane::kTreeFolderCount - 1);
  EXPECT_EQ(ReportValues(run.report, "loaded"),
            std::vector<std::string>{SystemLibrary("dwmapi.dll")});
  EXPECT_EQ(ReadFileBytes(reports / L"planted.txt"), "");
  EXPECT_FALSE(PathExists(root));
}

// Anyone may make a folder of the root's name in the base and keep
// something in it that the run cannot remove. The run then works in a
// folder of a fresh name and leaves theirs as it is.
TEST_F(Hardening, RootThatCannotBeRemovedNeverBlocksTheRun) {
  MakeFolder(WorkingRoot());
  const std::wstring held = WorkingRoot() + L"held.txt";
  WriteFileBytes(held, "held");
  HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const std::string fixedRoot = Narrow(WorkingRoot());
  const std::string freshRoot = fixedRoot.substr(0, fixedRoot.size() - 1) + ".";
  for (const wchar_t* mode : {L"-u1", L"-s1", L"", L"-u3"}) {
    SCOPED_TRACE(Narrow(mode));
    InstallerRun run = RunInstaller(mode);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.box.shown);
    const std::vector<std::string> folders =
        ReportValues(run.report + run.auxReport,
                     run.auxReport.empty() ? "current-folder" : "aux-current-folder");
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0].rfind(freshRoot, 0), 0u) << folders[0];
    EXPECT_EQ(ProductFoldersInBase(),
              std::vector<std::wstring>{L"{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}"});
  }
  CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(held), "held");
}

// Removal passes over "." and ".." only: a stale root of dot-named entries
// is taken away, and the run works in the usual root.
TEST_F(Hardening, StaleRootOfDotNamedEntriesIsRemoved) {
  MakeFolder(WorkingRoot());
  MakeFolder(WorkingRoot() + L".hidden");
  WriteFileBytes(WorkingRoot() + L".keep", "");
  WriteFileBytes(WorkingRoot() + L".hidden\\.keep", "");
  InstallerRun run = RunInstaller(L"-u1");
  EXPECT_EQ(run.exitCode, 0);
  std::string root = Narrow(WorkingRoot());
  root.pop_back();
  EXPECT_EQ(ReportValues(run.report, "current-folder"), std::vector<std::string>{root});
  EXPECT_TRUE(ProductFoldersInBase().empty());
}

TEST_F(Hardening, FileOfTheTreeHeldOpenAtRemovalKeepsTheSetupsResult) {
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"6");
  environment_.Set(L"QUILLANE_SAMPLE_WAIT_MS", L"1500");
  HANDLE holder = INVALID_HANDLE_VALUE;
  RunOptions options;
  options.context = &holder;
  options.whileRunning = [](const PROCESS_INFORMATION&, void* context) {
    WaitForSetupDialog();
    *static_cast<HANDLE*>(context) =
        CreateFileW((WorkingRoot() + L"manual\\EN\\ReadMeE.txt").c_str(), GENERIC_READ, 0, nullptr,
                    OPEN_EXISTING, 0, nullptr);
  };
  InstallerRun run = RunInstaller(L"-u1", options);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  CloseHandle(holder);
  EXPECT_EQ(run.exitCode, 6);
  // The held file stays, with the folders above it.
  EXPECT_TRUE(PathExists(WorkingRoot() + L"manual\\EN\\ReadMeE.txt"));
}

// Where the installer was started from (often the user's downloads) may
// hold a library of a name that is loaded on demand. The clean-up library,
// inside the installer's process, loads one by name the way the platform
// does.
TEST_F(Hardening, LibraryBesideTheInstallerIsNotLoaded) {
  ScratchFolder downloads;
  const std::wstring installer = downloads / L"QuillaneSetup.exe";
  ASSERT_TRUE(CopyFileW(InstallerPath().c_str(), installer.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\planted_library.dll").c_str(),
                        (downloads / L"dwmapi.dll").c_str(), FALSE));
  environment_.Set(L"QUILLANE_PLANTED_REPORT", downloads / L"planted.txt");
  environment_.Set(L"WINEDLLOVERRIDES", L"mscoree,mshtml=;dwmapi=n,b");
  environment_.Set(L"QUILLANE_SAMPLE_CLEANUP_LOAD", L"dwmapi.dll");
  RunOptions options;
  options.program = installer;
  InstallerRun run = RunInstaller(L"-u3", options);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(ReportValues(run.cleanupReport, "cleanup-loaded"),
            std::vector<std::string>{SystemLibrary("dwmapi.dll")});
  EXPECT_EQ(ReadFileBytes(downloads / L"planted.txt"), "");
}

// Every started program begins in the working root with an environment of
// the machine's and the run's, whatever the user's says: a library of a
// name found nowhere in the system, beside the installer and in a folder on
// the user's PATH, is never loaded, and the user's folders are nowhere.
TEST_F(Hardening, StartedProgramsInheritNothingTheUserControls) {
  ScratchFolder user;
  const std::wstring downloads = user / L"downloads";
  const std::wstring bin = user / L"bin";
  MakeFolder(downloads);
  MakeFolder(bin);
  for (const std::wstring& folder : {downloads, bin}) {
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\planted_library.dll").c_str(),
                          (folder + L"\\quillane_planted.dll").c_str(), FALSE));
  }
  environment_.Set(L"QUILLANE_PLANTED_REPORT", user / L"planted.txt");
  environment_.Set(L"QUILLANE_SAMPLE_LOAD", L"quillane_planted.dll");
  environment_.PointTemporaryFolderAt(user.Path());
  wchar_t path[32768];
  GetEnvironmentVariableW(L"PATH", path, 32768);
  environment_.Set(L"PATH", bin + L";" + path);
  environment_.Set(L"windir", user.Path());
  environment_.Set(L"ComSpec", bin + L"\\cmd.exe");
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(downloads.c_str()));
  InstallerRun install = RunInstaller(L"-u1");
  InstallerRun cleanup = RunInstaller(L"-u3");
  SetCurrentDirectoryW(previous);

  wchar_t windows[MAX_PATH];
  GetSystemWindowsDirectoryW(windows, MAX_PATH);
  std::string root = Narrow(WorkingRoot());
  root.pop_back();
  const std::string base = Narrow(WorkingBase());
  for (const auto& [report, prefix] : {std::pair{install.report, std::string()},
                                       std::pair{cleanup.auxReport, std::string("aux-")}}) {
    SCOPED_TRACE(prefix.empty() ? "the inner setup" : "the auxiliary setup");
    const auto value = [&](const char* key) {
      const std::vector<std::string> values = ReportValues(report, prefix + key);
      return values.size() == 1 ? values[0] : "(reported " + std::to_string(values.size()) + ")";
    };
    EXPECT_EQ(value("current-folder"), root);
    const std::string temp = value("env-TEMP");
    EXPECT_EQ(temp.rfind(base + "\\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}.temp", 0), 0u) << temp;
    EXPECT_EQ(value("env-TMP"), temp);
    EXPECT_EQ(value("temp-writable"), "1");
    EXPECT_EQ(value("env-windir"), Narrow(windows));
    EXPECT_EQ(value("env-SystemRoot"), Narrow(windows));
    EXPECT_EQ(value("env-ComSpec"), Narrow(windows) + "\\system32\\cmd.exe");
    EXPECT_EQ(value("env-PATH").find(Narrow(user.Path())), std::string::npos) << value("env-PATH");
  }
  EXPECT_EQ(install.exitCode, 0);
  EXPECT_EQ(cleanup.exitCode, 0);
  EXPECT_EQ(ReportValues(install.report, "loaded"), std::vector<std::string>{"none"});
  EXPECT_EQ(ReadFileBytes(user / L"planted.txt"), "");
  EXPECT_TRUE(ProductFoldersInBase().empty());  // the temporary folder went with the root
}

// The user's temporary folder is the user's to change: TEMP of any text, and
// a link that another program of the user re-points while the run goes on.
// The tree is never there, and nothing under the installer's current folder
// is touched.
TEST_F(Hardening, TemporaryFolderIsNeverWhereTheTreeGoes) {
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"4");
  ScratchFolder scratch;
  const std::wstring own = scratch / L"own";
  const std::wstring theirs = scratch / L"theirs";
  const std::wstring link = scratch / L"linked-temp";
  MakeFolder(own);
  MakeFolder(theirs);
  // What a re-pointed link would lead the run to: a tree of the user's.
  const std::wstring planted = theirs + L"\\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}";
  for (const wchar_t* folder : {L"", L"\\kpusb"}) MakeFolder(planted + folder);
  for (const wchar_t* program : {L"setup.exe", L"VRESetup32.exe", L"VRESetup64.exe"}) {
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\probe_child.exe").c_str(),
                          (planted + L"\\" + program).c_str(), FALSE));
  }
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\planted_library.dll").c_str(),
                        (planted + L"\\KPCOMUSBCLN.dll").c_str(), FALSE));
  WriteFileBytes(planted + L"\\PORTS.dat", "[PORTS]\nplanted\n");
  WriteFileBytes(planted + L"\\kpusb\\planted.inf", "planted");
  environment_.Set(L"QUILLANE_PLANTED_REPORT", scratch / L"planted.txt");
  ASSERT_TRUE(MakeUnixLink(own, link));
  links_.push_back(link);

  // A folder of the product code's name under the current folder, which an
  // empty or relative base would act on.
  const std::wstring current = scratch / L"current";
  MakeFolder(current);
  MakeFolder(current + L"\\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}");
  WriteFileBytes(current + L"\\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\\mine.txt", "mine");
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));

  struct {
    const char* what;
    std::wstring temp;
  } const cases[] = {
      {"a link, re-pointed once the setup's dialog is up", link + L"\\"},
      {"259 characters", FolderOfLength(scratch, 259)},
      {"260 characters", FolderOfLength(scratch, 260)},
      {"300 characters",
       scratch.Path() + L"\\" + std::wstring(300 - scratch.Path().size() - 2, L'e') + L"\\"},
      {"a file", scratch / L"planted.txt"},
  };
  RunOptions repoint;
  repoint.context = this;
  repoint.whileRunning = [](const PROCESS_INFORMATION&, void* self) {
    WaitForSetupDialog();
    auto* test = static_cast<Hardening*>(self);
    EXPECT_TRUE(RemoveUnixLink(test->links_.back()));
    EXPECT_TRUE(MakeUnixLink(test->links_.back() + L"\\..\\theirs", test->links_.back()));
  };
  const std::string root = Narrow(WorkingRoot());
  for (const auto& row : cases) {
    SCOPED_TRACE(row.what);
    environment_.PointTemporaryFolderAt(row.temp);
    const bool linked = &row == &cases[0];
    InstallerRun run = RunInstaller(L"-u1", linked ? repoint : RunOptions{});
    EXPECT_EQ(run.exitCode, 4);
    // Started from the tree in the Windows folder, which holds only the
    // payload's own files.
    const std::vector<std::string> started = ReportValues(run.report, "command-line");
    EXPECT_EQ(started.size(), 1u);
    for (const std::string& path : started)
      EXPECT_EQ(path.rfind(root + "setup.exe", 0), 0u) << path;
    const std::vector<std::string> files = ReportValues(run.report, "file");
    EXPECT_EQ(files.size(), quillane::kInstallPayloadSize + 1);
    for (const std::string& file : files)
      EXPECT_EQ(file.find("planted"), std::string::npos) << file;
    EXPECT_FALSE(PathExists(row.temp + L"{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}") && !linked);
    if (linked) {  // back to the user's own folder for the clean-up mode
      EXPECT_TRUE(RemoveUnixLink(link));
      EXPECT_TRUE(MakeUnixLink(own, link));
    }
  }

  // The clean-up mode, with the link re-pointed as soon as the run starts.
  environment_.PointTemporaryFolderAt(link + L"\\");
  RunOptions early;
  early.context = this;
  early.whileRunning = [](const PROCESS_INFORMATION&, void* self) {
    auto* test = static_cast<Hardening*>(self);
    EXPECT_TRUE(RemoveUnixLink(test->links_.back()));
    EXPECT_TRUE(MakeUnixLink(test->links_.back() + L"\\..\\theirs", test->links_.back()));
  };
  InstallerRun cleanup = RunInstaller(L"-u3", early);
  EXPECT_EQ(cleanup.exitCode, 0);
  EXPECT_EQ(cleanup.cleanupReport, "cleanup-called\n");
  EXPECT_EQ(ReportValues(cleanup.auxReport, "aux").size(), 1u);

  SetCurrentDirectoryW(previous);
  EXPECT_EQ(ReadFileBytes(scratch / L"planted.txt"), "");  // the user's library never loaded
  EXPECT_EQ(ReadFileBytes(planted + L"\\PORTS.dat"), "[PORTS]\nplanted\n");
  EXPECT_EQ(ReadFileBytes(current + L"\\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\\mine.txt"), "mine");
}

// A working base that is a link, wherever it leads, is not used at all.
TEST_F(Hardening, BaseThatIsALinkEndsTheRunBeforeAnythingIsTouched) {
  const std::wstring base = WorkingBase();
  MakeFolder(WorkingRoot());
  WriteFileBytes(WorkingRoot() + L"left.txt", "left");
  ASSERT_TRUE(ReplaceFolderWithUnixLink(base));
  InstallerRun quiet = RunInstaller(L"-u1");
  InstallerRun interactive = RunInstaller(L"");
  ASSERT_TRUE(PutFolderBack(base));
  EXPECT_EQ(quiet.exitCode, 1001);
  EXPECT_TRUE(quiet.report.empty());
  EXPECT_EQ(interactive.exitCode, 1001);
  EXPECT_EQ(interactive.box.text, L"Installation failed.");
  EXPECT_EQ(ReadFileBytes(WorkingRoot() + L"left.txt"), "left");
}

// A file at the root's name is removed like any tree found there; a hard
// link there to a file elsewhere keeps that file's marks.
TEST_F(Hardening, FileOrHardLinkFoundAtTheRootIsRemovedWithoutHarm) {
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"8");
  std::wstring rootName = WorkingRoot();
  rootName.pop_back();
  WriteFileBytes(rootName, "a file, not a folder");
  InstallerRun overFile = RunInstaller(L"-u1");
  EXPECT_EQ(overFile.exitCode, 8);
  EXPECT_FALSE(PathExists(rootName));

  ScratchFolder scratch;
  const std::wstring outside = scratch / L"system.sys";
  WriteFileBytes(outside, "the user's own");
  ASSERT_TRUE(SetFileAttributesW(outside.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));
  constexpr DWORD kMarks = FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN;
  ASSERT_EQ(GetFileAttributesW(outside.c_str()) & kMarks, kMarks);
  MakeFolder(WorkingRoot());
  ASSERT_TRUE(CreateHardLinkW((WorkingRoot() + L"linked.sys").c_str(), outside.c_str(), nullptr));
  InstallerRun overLink = RunInstaller(L"-u1");
  EXPECT_EQ(overLink.exitCode, 8);
  EXPECT_FALSE(PathExists(WorkingRoot()));
  EXPECT_EQ(GetFileAttributesW(outside.c_str()) & kMarks, kMarks);
  EXPECT_EQ(ReadFileBytes(outside), "the user's own");
}

}  // namespace
