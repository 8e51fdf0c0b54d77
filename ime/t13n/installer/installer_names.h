// Names the two installer programs share with the product's installation:
// the input-method module's file, the product's display name (also the
// keyboard layout's text) and the setup tool's file and uninstall action.
#ifndef IME_T13N_INSTALLER_INSTALLER_NAMES_H_
#define IME_T13N_INSTALLER_INSTALLER_NAMES_H_

namespace ime_t13n {

// The module in the system folders (the 64-bit and the 32-bit one).
inline constexpr wchar_t kModuleFileName[] = L"Kelvane_" IME_LANGUAGE_CODE ".ime";
// The product as the user sees it, and the keyboard layout's text.
inline constexpr wchar_t kProductDisplayName[] = L"Tarvel Hindi Input";
// The setup tool, in the program folder.
inline constexpr wchar_t kSetupHelperFileName[] = L"Strevane.exe";
inline constexpr wchar_t kSetupHelperUninstallArguments[] = L"--action=uninstall";

}  // namespace ime_t13n

#endif  // IME_T13N_INSTALLER_INSTALLER_NAMES_H_
