#include "run/tree/working_root.h"

#include <sddl.h>
#include <winternl.h>

#include "base/path_buffer.h"
#include "run/tree/remove_tree.h"
#include "run/tree/tree_names.h"

namespace quillane {
namespace {

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

}  // namespace

PSECURITY_DESCRIPTOR BuildWorkingRootSecurity() {
  const WideString user = TokenUserText();
  // Numeric rights (FILE_ALL_ACCESS; FILE_GENERIC_READ | FILE_GENERIC_EXECUTE),
  // which every SDDL reader since Windows 2000 takes.
  WideString sddl(u"D:P(A;OICI;0x1f01ff;;;BA)(A;OICI;0x1f01ff;;;SY)(A;OICI;0x1200a9;;;");
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (user.Empty() || !sddl.Append(user) || !sddl.Append(u')') ||
      !ConvertStringSecurityDescriptorToSecurityDescriptorW(AsWide(sddl.CStr()), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return nullptr;
  }
  return descriptor;
}

bool CreateOwnWorkingRoot(const WideString& base, const WideString& name, WideString& root,
                          UniqueFile& hold) {
  hold.Reset();
  if (!IsAbsoluteDrivePath(base.CStr()) || !IsPlainEntryName(name.CStr()) ||
      !root.Assign(base.CStr(), base.Length()) || !root.Append(name) || !root.Append(u'\\')) {
    return false;
  }
  UniqueFile baseFolder;
  if (!OpenOwnFolder(AsWide(base.CStr()), FILE_READ_ATTRIBUTES | FILE_TRAVERSE | SYNCHRONIZE,
                     baseFolder)) {
    return false;
  }
  DeleteTree(AsWide(root.CStr()));
  UniqueLocal security(BuildWorkingRootSecurity());
  if (!security.Valid()) return false;

  // Created by its name in the base folder that was checked above.
  UNICODE_STRING objectName;
  objectName.Buffer = const_cast<PWSTR>(AsWide(name.CStr()));
  objectName.Length = static_cast<USHORT>(name.Length() * sizeof(WCHAR));
  objectName.MaximumLength = objectName.Length;
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &objectName, OBJ_CASE_INSENSITIVE, baseFolder.Get(),
                             security.Get());
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

void RemoveOwnWorkingRoot(const WideString& root, UniqueFile& hold) {
  hold.Reset();
  DeleteTree(AsWide(root.CStr()));
}

}  // namespace quillane
