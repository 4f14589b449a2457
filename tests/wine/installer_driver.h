// Runs the built installer as a child process, the way a user or a script
// starts it, and gathers what can be seen of the run: the full exit code,
// the message box it showed, and the reports of the stand-in payload.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace quillane_test {

// The installer and its sample payload in this build tree, as Windows paths.
std::wstring InstallerPath();
std::wstring SamplePayloadPath();
// The working tree the installer unpacks into in the working base.
std::wstring WorkingRoot();
// The names in the working base that begin with the product code: the
// run's own folders, and whatever someone else made there.
std::vector<std::wstring> ProductFoldersInBase();

// Sets environment variables for the children started while it lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment();
  void Set(const std::wstring& name, const std::wstring& value);
  void Remove(const std::wstring& name);
  // The temporary folder (TMP and TEMP) of the children started from now on.
  void PointTemporaryFolderAt(const std::wstring& path);

 private:
  void Remember(const std::wstring& name);
  std::map<std::wstring, std::pair<bool, std::wstring>> saved_;
};

// A folder under the scratch folder whose path, with a trailing backslash,
// is exactly `length` characters long; that path.
std::wstring FolderOfLength(const ScratchFolder& scratch, size_t length);

struct MessageBoxSeen {
  bool shown = false;
  // Whether the installer's hidden window existed while the box was shown.
  bool mainWindowExisted = false;
  // Whether the box waited for its answer (still open half a second later).
  bool waitedForAnswer = false;
  std::wstring caption;
  std::wstring text;
};

struct InstallerRun {
  long long exitCode = -1;    // -1: not started; -2: did not end in time
  MessageBoxSeen box;         // the first message box of the installer, dismissed
  std::string report;         // the inner setup stand-in's report
  std::string auxReport;      // the auxiliary setup stand-in's report
  std::string cleanupReport;  // the clean-up library stand-in's calls
};

struct RunOptions {
  std::wstring program;  // default: InstallerPath()
  DWORD timeoutMs = 60000;
  // Called once the installer has started, before waiting for it.
  void (*whileRunning)(const PROCESS_INFORMATION&, void*) = nullptr;
  void* context = nullptr;
};

// Starts the installer with the arguments and waits for it, dismissing its
// message box if one appears. The stand-ins report into a scratch folder.
InstallerRun RunInstaller(const std::wstring& arguments, const RunOptions& options = {});

// Report lines beginning with `key=`, values only, in order.
std::vector<std::string> ReportValues(const std::string& report, const std::string& key);

// A copy of the installer whose RCDATA resource `id` holds `bytes` instead;
// the path of the copy.
std::wstring InstallerWithResource(const ScratchFolder& folder, const std::wstring& name,
                                   unsigned id, const std::string& bytes);

// A copy of the installer whose string `id` (in the English table) reads
// `text`; the path of the copy.
std::wstring InstallerWithString(const ScratchFolder& folder, const std::wstring& name, unsigned id,
                                 const std::wstring& text);

std::string Narrow(const std::wstring& text);

// Waits (up to ten seconds) until an inner setup's dialog is up: its tree is
// unpacked and in use.
void WaitForSetupDialog();

// A test of the installer end to end: no working root before it or after it,
// and the environment of the children it starts put back afterwards.
class InstallerRunTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  ScopedEnvironment environment_;
};

}  // namespace quillane_test
