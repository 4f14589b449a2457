#include "run/working_root.h"

#include <sddl.h>

#include "run/remove_tree.h"

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

bool CreateOwnWorkingRoot(const wchar_t* root, UniqueFile& hold) {
  hold.Reset();
  DeleteTree(root);
  UniqueLocal security(BuildWorkingRootSecurity());
  if (!security.Valid()) return false;
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), security.Get(), FALSE};
  if (!CreateDirectoryW(root, &attributes)) return false;
  // Open without delete sharing: while this handle lives, the folder cannot
  // be renamed away and replaced by another of the same name.
  hold.Reset(CreateFileW(root, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return hold.Valid();
}

void RemoveOwnWorkingRoot(const wchar_t* root, UniqueFile& hold) {
  hold.Reset();
  DeleteTree(root);
}

}  // namespace quillane
