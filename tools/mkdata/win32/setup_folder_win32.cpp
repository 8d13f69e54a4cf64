// Windows side of the setup's data folder (tools/mkdata/setup_folder.h). The folder is made with
// its own protected access list, so it does not inherit %ProgramData%'s, which lets every user
// add files and folders to a subfolder.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "platform/win32/wide_text.h"
#include "tools/mkdata/setup_folder.h"

namespace {

// SYSTEM and Administrators full control, Users read and execute; "P": nothing inherited.
constexpr wchar_t kFolderAccess[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Any right that adds, changes or removes something in the folder, or changes who may.
constexpr ACCESS_MASK kChangeRights = GENERIC_ALL | GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                      FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE |
                                      WRITE_DAC | WRITE_OWNER;

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreer>;

std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  LocalMemory owned(text);
  std::string message = text ? NarrowFromWide(text) : "error " + std::to_string(code);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
    message.pop_back();
  return message;
}

// Whether the SID stands for standard users: Users, Authenticated Users, Everyone, Interactive.
bool IsStandardUsers(PSID sid) {
  for (WELL_KNOWN_SID_TYPE type : {WinBuiltinUsersSid, WinAuthenticatedUserSid, WinWorldSid, WinInteractiveSid})
    if (IsWellKnownSid(sid, type)) return true;
  return false;
}

// Whether an allowing entry of the list gives standard users a change right on the folder itself.
// A null list allows everyone everything.
bool UsersMayChange(const ACL* dacl) {
  if (!dacl) return true;
  for (DWORD k = 0; k < dacl->AceCount; ++k) {
    void* entry = nullptr;
    if (!GetAce(const_cast<ACL*>(dacl), k, &entry)) return true;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    if ((allowed->Mask & kChangeRights) && IsStandardUsers(const_cast<DWORD*>(&allowed->SidStart))) return true;
  }
  return false;
}

// The owner may always rewrite the access list: it must be SYSTEM, Administrators or the account
// this runs as (the elevated one that runs the setup).
bool OwnerIsAdministrative(PSID owner) {
  if (IsWellKnownSid(owner, WinLocalSystemSid) || IsWellKnownSid(owner, WinBuiltinAdministratorsSid)) return true;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  alignas(TOKEN_USER) unsigned char buffer[256];
  DWORD length = 0;
  const bool known = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &length);
  CloseHandle(token);
  return known && EqualSid(owner, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

SetupFolder CheckExisting(const std::string& folder, const std::wstring& path, std::string& error) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    error = "cannot use the data folder " + folder + ": " +
            (attributes == INVALID_FILE_ATTRIBUTES ? SystemMessage(GetLastError()) : std::string("not a folder"));
    return SetupFolder::Failed;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    error = "refusing the data folder " + folder + ": it is a junction or link, not a folder of the setup's own";
    return SetupFolder::Refused;
  }
  PSID owner = nullptr;
  ACL* dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD code = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                           &owner, nullptr, &dacl, nullptr, &descriptor);
  if (code != ERROR_SUCCESS) {
    error = "cannot read who may change the data folder " + folder + ": " + SystemMessage(code);
    return SetupFolder::Failed;
  }
  LocalMemory owned(descriptor);
  if (UsersMayChange(dacl) || !owner || !OwnerIsAdministrative(owner)) {
    error = "refusing the data folder " + folder + ": standard users may change it, so it is not the setup's own";
    return SetupFolder::Refused;
  }
  return SetupFolder::Ready;
}

}  // namespace

SetupFolder MakeOrCheckSetupFolder(const std::string& folder, std::string& error) {
  const std::wstring path = WideFromNarrow(folder.c_str());
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderAccess, SDDL_REVISION_1, &descriptor, nullptr)) {
    error = "cannot make the data folder's access list: " + SystemMessage(GetLastError());
    return SetupFolder::Failed;
  }
  LocalMemory owned(descriptor);
  SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
  if (CreateDirectoryW(path.c_str(), &security)) return SetupFolder::Ready;
  const DWORD code = GetLastError();
  if (code == ERROR_ALREADY_EXISTS) return CheckExisting(folder, path, error);
  error = "cannot create the data folder " + folder + ": " + SystemMessage(code);
  return SetupFolder::Failed;
}
