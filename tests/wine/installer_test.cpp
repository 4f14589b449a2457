// The installer end to end under Wine: started as a user or a script starts
// it, with the sample payload's stand-ins reporting what they were given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "installer_driver.h"
#include "payload_files.h"  // generated from payload.txt
#include "res/resource_ids.h"
#include "run/tree/remove_tree.h"
#include "standin_common.h"

using namespace quillane_test;

namespace {

constexpr const wchar_t* kCaption = L"" QUILLANE_CAPTION;

// The install (or clean-up) files of the working tree, as the payload folder
// holds them.
std::vector<std::wstring> InstallFiles(bool install = true) {
  std::vector<std::wstring> files;
  for (const quillane::PayloadFile& file : quillane::kPayloadFiles) {
    const std::u16string place = file.place;
    if (file.install == install) files.emplace_back(place.begin(), place.end());
  }
  return files;
}
// The folders below the working root that hold them, sorted as the stand-in reports them.
std::vector<std::string> TreeFolders() {
  std::set<std::string> folders;
  for (const std::wstring& file : InstallFiles()) {
    for (size_t at = file.find(L'\\'); at != std::wstring::npos; at = file.find(L'\\', at + 1)) {
      folders.insert(Narrow(file.substr(0, at)));
    }
  }
  return {folders.begin(), folders.end()};
}

std::string FileLine(const std::wstring& relative, const std::string& bytes) {
  return Narrow(relative) + standin::FileDetail(bytes);
}

using standin::Hex;

const std::string kEmptySnapshot = "[PORTS]\r\n[QLANE]\r\n";

using Installer = InstallerRunTest;

// The argument text the inner setup receives after its own path.
std::string ArgumentsOf(const InstallerRun& run) {
  std::vector<std::string> lines = ReportValues(run.report, "command-line");
  if (lines.size() != 1) return "<" + std::to_string(lines.size()) + " reports>";
  const std::string program = Narrow(WorkingRoot()) + "setup.exe ";
  if (lines[0].compare(0, program.size(), program) != 0) return "<program: " + lines[0] + ">";
  return lines[0].substr(program.size());
}

// "/W32:<handle>:1024" with the handle that the stand-in saw as the hidden
// window of class "Quillane Installer".
std::string LinkOf(const InstallerRun& run) {
  std::string arguments = ArgumentsOf(run);
  size_t at = arguments.find("\"/W32:");
  if (at == std::string::npos) return "<no link>";
  size_t end = arguments.find_first_of(" \"", at + 1);
  return arguments.substr(at + 1, end - at - 1);
}

TEST_F(Installer, TypicalRoadUnpacksStartsTheSetupAndExitsWithItsResult) {
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"0x12340005");
  InstallerRun run = RunInstaller(L"");
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_FALSE(run.box.shown);

  const std::string link = LinkOf(run);
  EXPECT_EQ(ArgumentsOf(run), "/clone_wait \"" + link + "\"");
  ASSERT_EQ(link.rfind("/W32:", 0), 0u);
  EXPECT_EQ(link.substr(link.size() - 5), ":1024");
  const std::string handle = link.substr(5, link.size() - 10);
  EXPECT_FALSE(handle.empty());
  EXPECT_EQ(handle.find_first_not_of("-0123456789"), std::string::npos) << handle;
  EXPECT_NE(handle[0], '0');
  EXPECT_EQ(ReportValues(run.report, "link-class"), std::vector<std::string>{"Quillane Installer"});
  EXPECT_EQ(ReportValues(run.report, "raised"), std::vector<std::string>{"1"});
  EXPECT_EQ(ReportValues(run.report, "position"), std::vector<std::string>{"0,0"});
  EXPECT_EQ(ReportValues(run.report, "ports-dat"), std::vector<std::string>{Hex(kEmptySnapshot)});

  std::vector<std::string> expectedFiles;
  for (const std::wstring& file : InstallFiles()) {
    bool exists = false;
    std::string bytes = ReadFileBytes(SamplePayloadPath() + L"\\" + file, &exists);
    ASSERT_TRUE(exists) << Narrow(file);
    expectedFiles.push_back(FileLine(file, bytes));
  }
  expectedFiles.push_back(FileLine(L"PORTS.dat", kEmptySnapshot));
  std::sort(expectedFiles.begin(), expectedFiles.end());
  EXPECT_EQ(ReportValues(run.report, "file"), expectedFiles);
  EXPECT_EQ(ReportValues(run.report, "folder"), TreeFolders());
  EXPECT_FALSE(PathExists(WorkingRoot()));
}

TEST_F(Installer, QuietModesPassQuietOptionsLanguageAndTheWholeCommandLine) {
  InstallerRun quietWithPorts = RunInstaller(L"-s1 -KP:COM3");
  EXPECT_EQ(quietWithPorts.exitCode, 0);
  EXPECT_EQ(ArgumentsOf(quietWithPorts),
            "/clone_wait /hide_progress -l0x0409 \"" + LinkOf(quietWithPorts) + " -s1 -KP:COM3\"");
  InstallerRun quiet = RunInstaller(L"-u1  extra  words ");
  EXPECT_EQ(quiet.exitCode, 0);
  EXPECT_EQ(ArgumentsOf(quiet),
            "/clone_wait /hide_progress -l0x0409 \"" + LinkOf(quiet) + " -u1  extra  words \"");
  EXPECT_FALSE(quietWithPorts.box.shown || quiet.box.shown);
}

TEST_F(Installer, PortOptionsAreCheckedInModeOneOnly) {
  InstallerRun same = RunInstaller(L"-s1 -KP:COM3 -KV:COM3");
  EXPECT_EQ(same.exitCode, 106);
  InstallerRun kvOnly = RunInstaller(L"-s1 -KV:COM2");
  EXPECT_EQ(kvOnly.exitCode, 107);
  EXPECT_TRUE(same.report.empty() && kvOnly.report.empty());  // nothing was started
  EXPECT_FALSE(same.box.shown || kvOnly.box.shown);

  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"7");
  InstallerRun interactive = RunInstaller(L"-KP:COM3 -KV:COM3");
  EXPECT_EQ(interactive.exitCode, 7);
  InstallerRun cleanup = RunInstaller(L"-u3 -s1 -KP:COM3 -KV:COM3");
  EXPECT_EQ(cleanup.exitCode, 0);
  EXPECT_EQ(ReportValues(cleanup.auxReport, "aux").size(), 1u);
}

TEST_F(Installer, ResultMessagesDecideTheExitCode) {
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"none");
  InstallerRun silent = RunInstaller(L"-s1");
  EXPECT_EQ(silent.exitCode, 0);
  EXPECT_EQ(ReportValues(silent.report, "command-line").size(), 1u);

  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"3,9,0x10004");
  InstallerRun several = RunInstaller(L"-s1");
  EXPECT_EQ(several.exitCode, 4);  // the last one, its low 16 bits

  // An exit code that reads as "still active" is read again until the
  // launcher gives up; it is no failure.
  environment_.Set(L"QUILLANE_SAMPLE_EXIT", L"259");
  EXPECT_EQ(RunInstaller(L"-s1").exitCode, 4);

  // Exit code 2 of the setup looks like a failed start.
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"8");
  environment_.Set(L"QUILLANE_SAMPLE_EXIT", L"2");
  InstallerRun failed = RunInstaller(L"-s1");
  EXPECT_EQ(failed.exitCode, 1001);
  EXPECT_FALSE(failed.box.shown);
  EXPECT_FALSE(PathExists(WorkingRoot()));

  InstallerRun failedInteractive = RunInstaller(L"");
  EXPECT_EQ(failedInteractive.exitCode, 1001);
  EXPECT_TRUE(failedInteractive.box.shown);
  EXPECT_EQ(failedInteractive.box.caption, kCaption);
  EXPECT_EQ(failedInteractive.box.text, L"Installation failed.");
  // The setup's queued messages must not close the box before it is answered.
  EXPECT_TRUE(failedInteractive.box.waitedForAnswer);

  // Ended by force (an NTSTATUS error as exit code) without a result: a
  // failure; with a result posted before, that result.
  environment_.Set(L"QUILLANE_SAMPLE_EXIT", L"0xC000013A");
  EXPECT_EQ(RunInstaller(L"-s1").exitCode, 8);
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"none");
  EXPECT_EQ(RunInstaller(L"-s1").exitCode, 1001);
  {  // a setup that crashes before it posts (exception 0xC0000005)
    ScopedEnvironment crash;
    crash.Set(L"QUILLANE_SAMPLE_EXIT", L"0");
    crash.Set(L"QUILLANE_SAMPLE_CRASH", L"1");
    EXPECT_EQ(RunInstaller(L"-u1").exitCode, 1001);
  }
  InstallerRun forcedInteractive = RunInstaller(L"");
  EXPECT_EQ(forcedInteractive.exitCode, 1001);
  EXPECT_EQ(forcedInteractive.box.text, L"Installation failed.");
  EXPECT_TRUE(forcedInteractive.box.waitedForAnswer);
}

// A setup waits for the answer to what it sends: a changed environment sent
// to every top-level window (once before its dialog is raised, once at the
// end), or its results sent instead of posted.
TEST_F(Installer, MessagesTheSetupSendsAreAnswered) {
  struct Case {
    const wchar_t* setting;
    std::vector<std::string> broadcastRaised;
  };
  const Case cases[] = {
      // Answered while the dialog waits to be raised, not after.
      {L"QUILLANE_SAMPLE_BROADCAST", {"0"}},
      {L"QUILLANE_SAMPLE_SEND", {}},
  };
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"3,0x10007");
  RunOptions options;
  options.timeoutMs = 30000;  // -2 after that
  for (const Case& c : cases) {
    ScopedEnvironment mode;
    mode.Set(c.setting, L"1");
    InstallerRun run = RunInstaller(L"-s1", options);
    SCOPED_TRACE(Narrow(c.setting));
    EXPECT_EQ(run.exitCode, 7);  // the last result, its low 16 bits
    EXPECT_EQ(ReportValues(run.report, "broadcast-raised"), c.broadcastRaised);
    EXPECT_EQ(ReportValues(run.report, "raised"), std::vector<std::string>{"1"});
  }
}

TEST_F(Installer, CommandLineTooLongForTheLauncherFailsAfterRemovingTheTree) {
  const std::wstring arguments = L"-s1 " + std::wstring(1996, L'x');
  InstallerRun run = RunInstaller(arguments);
  EXPECT_EQ(run.exitCode, 1001);
  EXPECT_TRUE(run.report.empty());
  EXPECT_FALSE(PathExists(WorkingRoot()));
  EXPECT_FALSE(run.box.shown);
}

TEST_F(Installer, UnsupportedWindowsEndsBeforeAnythingElse) {
  {
    ProgramVersion version(L"QuillaneSetup.exe", L"nt40");
    InstallerRun quiet = RunInstaller(L"-s1");
    EXPECT_EQ(quiet.exitCode, 102);
    EXPECT_FALSE(quiet.box.shown);
    EXPECT_TRUE(quiet.report.empty());
    EXPECT_FALSE(PathExists(WorkingRoot()));
  }
  {
    ProgramVersion version(L"QuillaneSetup.exe", L"win2k");
    EXPECT_EQ(RunInstaller(L"-s1").exitCode, 102);
    EXPECT_EQ(RunInstaller(L"-s1 -KM").exitCode, 0);  // Windows 2000 when asked for
  }
}

// Run by no_display_test.sh in a Wine session without an X display: the
// hidden window cannot be made, so no result could ever arrive, and a quiet
// deployment must not read success.
TEST(NoDisplay, RunWithoutItsWindowFailsAndUnpacksNothing) {
  if (GetEnvironmentVariableW(L"QUILLANE_NO_DISPLAY", nullptr, 0) == 0) {
    GTEST_SKIP() << "needs the display-less session of no_display_test.sh";
  }
  for (const wchar_t* mode : {L"-s1", L"", L"-u3"}) {
    EXPECT_EQ(RunAndWait(InstallerPath(), mode), 1001) << Narrow(mode);
  }
  EXPECT_TRUE(ProductFoldersInBase().empty());
}

// A second instance: one that the test holds by the guard's name, and a real
// running installer.
TEST_F(Installer, SecondInstanceIsRefused) {
  {
    HANDLE guard = CreateMutexW(nullptr, FALSE, L"Quillane Installer");
    ASSERT_NE(guard, nullptr);
    InstallerRun quiet = RunInstaller(L"-s1");
    InstallerRun ports = RunInstaller(L"-s1 -KP:COM3 -KV:COM3");
    CloseHandle(guard);
    EXPECT_EQ(quiet.exitCode, 101);
    EXPECT_FALSE(quiet.box.shown);
    EXPECT_EQ(ports.exitCode, 106);  // the port gate's code replaces 101
    EXPECT_TRUE(quiet.report.empty());
  }

  environment_.Set(L"QUILLANE_SAMPLE_WAIT_MS", L"6000");
  struct Second {
    InstallerRun interactive;
  } second;
  RunOptions options;
  options.context = &second;
  options.whileRunning = [](const PROCESS_INFORMATION&, void* context) {
    // Wait for the first installer's setup dialog, then start another one.
    WaitForSetupDialog();
    ScopedEnvironment noDelay;
    noDelay.Set(L"QUILLANE_SAMPLE_WAIT_MS", L"0");
    static_cast<Second*>(context)->interactive = RunInstaller(L"");
  };
  environment_.Set(L"QUILLANE_SAMPLE_RESULTS", L"12");
  InstallerRun first = RunInstaller(L"-s1", options);
  EXPECT_EQ(first.exitCode, 12);
  EXPECT_EQ(second.interactive.exitCode, 101);
  EXPECT_TRUE(second.interactive.box.shown);
  EXPECT_EQ(second.interactive.box.caption, kCaption);
  EXPECT_EQ(second.interactive.box.text, L"This installer is already running.");
  EXPECT_TRUE(second.interactive.box.waitedForAnswer);
}

// The clean-up mode, with the program folders pointed at the test's own.
class CleanupMode : public Installer {
 protected:
  void SetUp() override {
    Installer::SetUp();
    programFiles_.SetText(scratch_.Path() + L"\\Program Files");
    commonPrograms_.SetText(scratch_.Path() + L"\\Programs");
    MakeFolder(scratch_ / L"Program Files");
    MakeFolder(scratch_ / L"Program Files\\VARNO");  // empty: removed
    MakeFolder(scratch_ / L"Programs");
    MakeFolder(scratch_ / L"Programs\\VARNO");  // holds a shortcut: kept
    WriteFileBytes(scratch_ / L"Programs\\VARNO\\Quillane.lnk", "lnk");
  }
  ScratchFolder scratch_;
  RegistryValueOverride programFiles_{
      HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesPath"};
  RegistryValueOverride commonPrograms_{
      HKEY_LOCAL_MACHINE,
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
      L"Common Programs"};
};

TEST_F(CleanupMode, CallsTheLibraryRunsTheAuxiliarySetupAndRemovesEmptyFolders) {
  environment_.Set(L"QUILLANE_SAMPLE_AUX_EXIT", L"7");  // ignored: only 2 means failure
  InstallerRun run = RunInstaller(L"-u3");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.box.shown);
  EXPECT_TRUE(run.report.empty());  // the inner setup is not run
  EXPECT_EQ(run.cleanupReport, "cleanup-called\n");
  // Only a 32-bit installer on 64-bit Windows runs the 64-bit auxiliary
  // setup; this test program is built as the installer under test is.
  const std::string auxiliary = UnderWow64() ? "VRESetup64.exe" : "VRESetup32.exe";
  EXPECT_EQ(ReportValues(run.auxReport, "aux"),
            std::vector<std::string>{auxiliary + "|" + Narrow(WorkingRoot()) + auxiliary + " /9"});
  std::vector<std::string> files = ReportValues(run.auxReport, "aux-file");
  std::vector<std::string> cleanupFiles;
  for (const std::wstring& file : InstallFiles(false)) cleanupFiles.push_back(Narrow(file));
  std::sort(files.begin(), files.end());
  std::sort(cleanupFiles.begin(), cleanupFiles.end());
  EXPECT_EQ(files, cleanupFiles);
  EXPECT_FALSE(PathExists(WorkingRoot()));
  EXPECT_FALSE(PathExists(scratch_ / L"Program Files\\VARNO"));
  EXPECT_TRUE(PathExists(scratch_ / L"Programs\\VARNO\\Quillane.lnk"));
}

// On 64-bit Windows the registry has a 64-bit and a 32-bit view of
// HKLM\Software, each with its own Program Files folder; the installer reads
// the view of its own word size.
TEST_F(CleanupMode, ProgramFilesFolderComesFromTheInstallersRegistryView) {
  const wchar_t* const key = L"Software\\Microsoft\\Windows\\CurrentVersion";
  RegistryValueOverride view64(HKEY_LOCAL_MACHINE, key, L"ProgramFilesPath", KEY_WOW64_64KEY);
  RegistryValueOverride view32(HKEY_LOCAL_MACHINE, key, L"ProgramFilesPath", KEY_WOW64_32KEY);
  view64.SetText(scratch_ / L"Program Files");
  view32.SetText(scratch_ / L"Program Files (x86)");
  MakeFolder(scratch_ / L"Program Files (x86)");
  MakeFolder(scratch_ / L"Program Files (x86)\\VARNO");
  EXPECT_EQ(RunInstaller(L"-u3").exitCode, 0);
  const bool wow64 = UnderWow64();
  EXPECT_EQ(PathExists(scratch_ / L"Program Files (x86)\\VARNO"), !wow64);
  EXPECT_EQ(PathExists(scratch_ / L"Program Files\\VARNO"), wow64);
}

TEST_F(CleanupMode, MissingCleanupLibraryFailsSilentlyAndStillTidiesUp) {
  ScratchFolder images;
  RunOptions options;
  // A name the file system refuses: the library cannot be written.
  options.program = InstallerWithString(images, L"QuillaneSetup.exe", 157, L"KPCOMUSBCLN?.dll");
  InstallerRun run = RunInstaller(L"-u3", options);
  EXPECT_EQ(run.exitCode, 1001);
  EXPECT_FALSE(run.box.shown);
  EXPECT_TRUE(run.auxReport.empty());
  EXPECT_TRUE(run.cleanupReport.empty());
  EXPECT_FALSE(PathExists(WorkingRoot()));  // what was written is gone
  EXPECT_FALSE(PathExists(scratch_ / L"Program Files\\VARNO"));
  EXPECT_TRUE(PathExists(scratch_ / L"Programs\\VARNO"));
}

TEST_F(CleanupMode, ProgramFolderThatIsNotFoundIsSkipped) {
  programFiles_.Remove();
  commonPrograms_.Remove();
  // What an empty lookup plus "\VARNO" would name: the current drive's root.
  MakeFolder(L"\\VARNO");
  const bool made = PathExists(L"\\VARNO");
  EXPECT_EQ(RunInstaller(L"-u3").exitCode, 0);
  EXPECT_TRUE(made && PathExists(L"\\VARNO"));
  RemoveDirectoryW(L"\\VARNO");
}

// A library that is not the clean-up library (no export), or no library at
// all: the old package was not cleaned up, which is a failure; the auxiliary
// setup still runs and the tree still goes.
TEST_F(CleanupMode, LibraryThatCannotBeCalledFailsAfterTheAuxiliarySetup) {
  ScratchFolder images;
  bool exists = false;
  const std::string otherLibrary = ReadFileBytes(SamplePayloadPath() + L"\\ISSetup.dll", &exists);
  ASSERT_TRUE(exists);
  for (const std::string& library : {otherLibrary, std::string("not a library")}) {
    RunOptions options;
    options.program = InstallerWithResource(images, L"QuillaneSetup.exe", 150, library);
    InstallerRun run = RunInstaller(L"-u3", options);
    EXPECT_EQ(run.exitCode, 1001);
    EXPECT_FALSE(run.box.shown);
    EXPECT_TRUE(run.cleanupReport.empty());
    EXPECT_EQ(ReportValues(run.auxReport, "aux").size(), 1u);
    EXPECT_FALSE(PathExists(WorkingRoot()));
  }
}

TEST_F(Installer, SetupThatCannotBeStartedFailsAfterRemovingTheTree) {
  ScratchFolder images;
  RunOptions options;
  options.program =
      InstallerWithResource(images, L"QuillaneSetup.exe", 104, "this is not a program\r\n");
  InstallerRun quiet = RunInstaller(L"-s1", options);
  EXPECT_EQ(quiet.exitCode, 1001);
  EXPECT_FALSE(quiet.box.shown);
  EXPECT_FALSE(PathExists(WorkingRoot()));

  InstallerRun interactive = RunInstaller(L"", options);
  EXPECT_EQ(interactive.exitCode, 1001);
  EXPECT_TRUE(interactive.box.shown);
  EXPECT_EQ(interactive.box.text, L"Installation failed.");
  EXPECT_TRUE(interactive.box.waitedForAnswer);
  EXPECT_FALSE(PathExists(WorkingRoot()));
}

TEST_F(Installer, FileThatCannotBeWrittenFailsAndRemovesTheTree) {
  ScratchFolder images;
  RunOptions options;
  options.program = InstallerWithString(images, L"QuillaneSetup.exe", 114, L"setup?.exe");
  InstallerRun run = RunInstaller(L"-u1", options);
  EXPECT_EQ(run.exitCode, 1001);
  EXPECT_TRUE(run.report.empty());
  EXPECT_FALSE(PathExists(WorkingRoot()));
}

}  // namespace

namespace {

TEST_F(Installer, SetupFindsThePortSettingsOfTheInstalledDevices) {
  const std::wstring usbKey = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\" QUILLANE_USB_DEVICE_KEY_W;
  const std::wstring portsKey = L"SYSTEM\\CurrentControlSet\\Enum\\Root\\PORTS";
  const std::wstring usbParameters = usbKey + L"\\5&2f1a&0&1\\Device Parameters";
  SetMachineNumber(usbParameters, L"VrnCuIndex", 0);
  SetMachineNumber(usbParameters, L"VrnCOMPortForKP", 4);
  SetMachineNumber(usbParameters, L"VrnCOMPortForKV", 11);
  SetMachineText(portsKey + L"\\0003", L"HardwareID", L"UMDF\\VarnoPortEmulator");
  SetMachineText(portsKey + L"\\0003", L"Driver", L"{4d36e978-e325-11ce-bfc1-08002be10318}\\0001");
  SetMachineText(portsKey + L"\\0003\\Device Parameters", L"PortName", L"COM4");
  SetMachineNumber(portsKey + L"\\0003\\Device Parameters", L"VrnKP", 1);

  InstallerRun run = RunInstaller(L"-s1");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, usbKey.c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, portsKey.c_str());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(ReportValues(run.report, "ports-dat"),
            std::vector<std::string>{Hex("[PORTS]\r\n4=0,5&2f1a&0&1\r\n11=1,5&2f1a&0&1\r\n"
                                         "[QLANE]\r\nCOM4=0003,0001,0,0,0,0,1,0,0,0,\r\n")});
}

}  // namespace
