#include "run/tree/working_root.h"

#include <sddl.h>
#include <wincrypt.h>
#include <winternl.h>

#include "probe/known_folders.h"
#include "run/tree/remove_tree.h"
#include "run/tree/tree_names.h"
#include "run/tree/working_base.h"

namespace quillane {
namespace {

// Fresh names tried after the fixed one; each is new to everyone but a
// squatter who creates folders faster than the run can guess again.
constexpr int kFreshNameAttempts = 4;

// The token's user as SDDL text ("S-1-5-21-..."), or empty.
WideString TokenUserText() {
  WideString text;
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return text;
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } owner;
  DWORD length = 0;
  wchar_t* sidText = nullptr;
  if (GetTokenInformation(token.Get(), TokenUser, &owner, sizeof(owner), &length) &&
      ConvertSidToStringSidW(owner.user.User.Sid, &sidText)) {
    UniqueLocal owned(sidText);
    text.Assign(AsUnits(sidText));
  }
  return text;
}

// 64 bits from the platform's random source.
bool ReadRandom(uint64_t& random) {
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL,
                            CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
    return false;
  }
  const bool read = CryptGenRandom(provider, sizeof(random), reinterpret_cast<BYTE*>(&random));
  CryptReleaseContext(provider, 0);
  return read;
}

// Creates the folder `name` in the open base folder in one call: it fails
// when anything is at the name, follows no link, applies `security`, and
// the folder stays open without delete sharing in `hold`.
bool CreateHeldFolder(HANDLE baseFolder, const WideString& name, PSECURITY_DESCRIPTOR security,
                      UniqueFile& hold) {
  UNICODE_STRING objectName;
  objectName.Buffer = const_cast<PWSTR>(AsWide(name.CStr()));
  objectName.Length = static_cast<USHORT>(name.Length() * sizeof(WCHAR));
  objectName.MaximumLength = objectName.Length;
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &objectName, OBJ_CASE_INSENSITIVE, baseFolder, security);
  IO_STATUS_BLOCK status;
  HANDLE created = INVALID_HANDLE_VALUE;
  const NTSTATUS outcome = NtCreateFile(
      &created, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &object,
      &status, nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
      FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (!NT_SUCCESS(outcome)) return false;
  hold.Reset(created);
  return true;
}

// A folder of the run's own in the base: at `preferred` once whatever is
// there has been removed, otherwise at a fresh name. `path` is base + its
// name.
bool CreateOwnFolder(const WideString& base, HANDLE baseFolder, const WideString& preferred,
                     PSECURITY_DESCRIPTOR security, WideString& path, UniqueFile& hold) {
  WideString name(preferred);
  for (int attempt = 0; attempt <= kFreshNameAttempts; ++attempt) {
    uint64_t random = 0;
    if (attempt > 0 && (!ReadRandom(random) || !ComposeFreshFolderName(preferred, random, name))) {
      return false;
    }
    if (!path.Assign(base.CStr(), base.Length()) || !path.Append(name)) return false;
    if (attempt == 0) DeleteTree(AsWide(path.CStr()));
    if (CreateHeldFolder(baseFolder, name, security, hold)) return true;
  }
  return false;
}

}  // namespace

PSECURITY_DESCRIPTOR BuildWorkingRootSecurity() {
  const WideString user = TokenUserText();
  // Numeric rights (FILE_ALL_ACCESS; FILE_GENERIC_READ | FILE_GENERIC_EXECUTE),
  // which every SDDL reader since Windows 2000 takes.
  WideString sddl(u"O:BAD:P(A;OICI;0x1f01ff;;;BA)(A;OICI;0x1f01ff;;;SY)(A;OICI;0x1200a9;;;");
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (user.Empty() || !sddl.Append(user) || !sddl.Append(u')') ||
      !ConvertStringSecurityDescriptorToSecurityDescriptorW(AsWide(sddl.CStr()), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return nullptr;
  }
  return descriptor;
}

bool CreateWorkingFolders(const WideString& productCode, WorkingFolders& folders) {
  RemoveWorkingFolders(folders);
  const WideString base = ChooseWorkingBase(GetWindowsFolder().CStr());
  WideString temporaryName(productCode);
  if (!IsPlainEntryName(productCode.CStr()) || !temporaryName.Append(u".temp")) return false;
  // An empty base (a Windows folder that is no absolute path on a drive)
  // opens no folder either.
  UniqueFile baseFolder;
  if (!OpenOwnFolder(AsWide(base.CStr()), FILE_READ_ATTRIBUTES | FILE_TRAVERSE | SYNCHRONIZE,
                     baseFolder)) {
    return false;
  }
  UniqueLocal security(BuildWorkingRootSecurity());
  if (security.Valid() &&
      CreateOwnFolder(base, baseFolder.Get(), productCode, security.Get(), folders.root,
                      folders.rootHold) &&
      folders.root.Append(u'\\') &&
      CreateOwnFolder(base, baseFolder.Get(), temporaryName, security.Get(), folders.temporary,
                      folders.temporaryHold)) {
    return true;
  }
  RemoveWorkingFolders(folders);
  return false;
}

void RemoveWorkingFolders(WorkingFolders& folders) {
  const bool rootMade = folders.rootHold.Valid();
  const bool temporaryMade = folders.temporaryHold.Valid();
  folders.rootHold.Reset();
  folders.temporaryHold.Reset();
  if (rootMade) DeleteTree(AsWide(folders.root.CStr()));
  if (temporaryMade) DeleteTree(AsWide(folders.temporary.CStr()));
}

}  // namespace quillane
