; Redsphere's Windows setup: the screensaver into System32, the data builder with its sources, the
; README and the uninstaller into Program Files, and the map data built at install time into
; %ProgramData%\Redsphere, a folder of the setup's own (redsphere-mkdata --setup-folder: only
; administrators may change it, and redsphere-setup.txt marks it). A DataPath an administrator
; set by hand is kept, and that folder is never written to or deleted from. makensis gets the version and the paths of the built files from the
; build (shell/win32/installer/CMakeLists.txt): VERSION, VERSION_QUAD, SCR, MKDATA, SOURCES,
; README, ICON and OUTFILE.
;
; Command line: /S silent; /D=FOLDER the program folder (last, unquoted, as NSIS wants it);
; /SETSAVER chooses Redsphere as the screen saver in silent mode too; /LEVEL16 and /LEVEL32 add
; those map levels in silent mode. The uninstaller takes /S and /REMOVESETTINGS.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WordFunc.nsh

!define PRODUCT_KEY "Software\Redsphere"
!define SETTINGS_KEY "Software\Redsphere\Screensaver"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Redsphere"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SAVER_NAME "redsphere.scr"
!define SETUP_MARKER "redsphere-setup.txt"

; What each level adds to the data folder, with the caches the saver derives on its first start at
; that level (level 32 brings the level-16 clouds too), and how long redsphere-mkdata.exe took to
; build it alone under Wine on 2 cores: 12 s, 21 s and 87 s.
!define LEVEL8_KB 47500
!define LEVEL16_KB 190000
!define LEVEL32_KB 790000
!define LEVEL8_TEXT "46 MB, about 15 s"
!define LEVEL16_TEXT "186 MB, about 20 s"
!define LEVEL32_TEXT "770 MB, about 1.5 minutes"

Name "Redsphere ${VERSION}"
OutFile "${OUTFILE}"
; An upgrade goes where the installed copy is; /D= still wins.
InstallDir "$PROGRAMFILES64\Redsphere"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Redsphere ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var DataFolder  ; %ProgramData%\Redsphere, where the map data is built
Var SameUser    ; 1 when this account is the user signed in to the desktop (see IsSessionUser)
Var FinishNote  ; why the screen saver was not chosen, on the finish page

; ---- Pages --------------------------------------------------------------------------------------

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "Redsphere shows Mars as a lit globe, from the real MOLA relief and Viking colours. The map data is built on this computer; finer levels take longer and need more disk space."
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Redsphere is installed.$\r$\n$\r$\nChoose it in the Screen Saver settings; its Settings button opens the Redsphere dialog (flyby or manual control, map level, relief, terraforming).$FinishNote"
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "Redsphere, its map data and the per-user caches are removed. Your settings stay unless you tick them; screenshots on your desktop always stay."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Redsphere"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Redsphere ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Redsphere"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Redsphere developers; map data sources as their PROVENANCE.md says"

; ---- Files the installer and the uninstaller both name --------------------------------------------

; The data sources beside the builder, with their provenance, sums and the star list's licence.
!macro ForEachSourceFile MACRO
  !insertmacro ${MACRO} "" "PROVENANCE.md"
  !insertmacro ${MACRO} "" "SHA256SUMS"
  !insertmacro ${MACRO} "mola" "MEGT90N000CB.IMG"
  !insertmacro ${MACRO} "mola" "MEGT90N000CB.LBL"
  !insertmacro ${MACRO} "viking" "mars_viking_mdim21_colour_2880x1440.jpg"
  !insertmacro ${MACRO} "stars" "stars.txt"
  !insertmacro ${MACRO} "stars" "LICENSE-d3-celestial"
!macroend

!macro InstallSourceFile SUBFOLDER NAME
  SetOutPath "$INSTDIR\sources\${SUBFOLDER}"
  File "${SOURCES}/${SUBFOLDER}/${NAME}"
!macroend

!macro RemoveSourceFile SUBFOLDER NAME
  Delete "$INSTDIR\sources\${SUBFOLDER}\${NAME}"
!macroend

; The program folder's own files only: it may be a folder the user chose, holding other files.
!macro RemoveProgramFiles
  !insertmacro ForEachSourceFile RemoveSourceFile
  RMDir "$INSTDIR\sources\mola"
  RMDir "$INSTDIR\sources\viking"
  RMDir "$INSTDIR\sources\stars"
  RMDir "$INSTDIR\sources"
  Delete "$INSTDIR\redsphere-mkdata.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\uninstall.exe"
!macroend

; ---- The signed-in user ------------------------------------------------------------------------

; HKCU and $LOCALAPPDATA are the elevated account's. Under over-the-shoulder elevation (a standard
; user types an administrator's password) that is not the user at the desktop, so the per-user
; steps (choosing the screen saver, removing the user's caches, log and settings) are skipped
; rather than done to the wrong profile; the user chooses Redsphere in Screen Saver settings.
; Acting for the signed-in user instead would need a second, unelevated process. Sets $SameUser
; to 1 when the desktop session's user is this account, else 0 (also when Windows cannot say).
!macro IsSessionUserFunction UN
Function ${UN}IsSessionUser
  StrCpy $SameUser 0
  ; WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSUserName, ...)
  System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 5, *p .r1, *i .r2) i .r0'
  ${If} $0 == 0
    Return
  ${EndIf}
  System::Call 'kernel32::lstrcpynW(w .r3, p r1, i ${NSIS_MAX_STRLEN})'
  System::Call 'wtsapi32::WTSFreeMemory(p r1)'
  System::Call 'advapi32::GetUserNameW(w .r4, *i ${NSIS_MAX_STRLEN}) i .r0'
  ; User names compare without regard to letter case, as StrCmp does.
  ${If} $0 != 0
  ${AndIf} $3 != ""
  ${AndIf} $3 == $4
    StrCpy $SameUser 1
  ${EndIf}
FunctionEnd
!macroend
!insertmacro IsSessionUserFunction ""
!insertmacro IsSessionUserFunction "un."

; ---- Installer ----------------------------------------------------------------------------------

Section "Redsphere and level-8 map data" SecProgram
  SectionIn RO
  AddSize ${LEVEL8_KB}
  SetShellVarContext all
  StrCpy $DataFolder "$APPDATA\Redsphere"

  ; An upgrade into another folder leaves nothing behind in the old one.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    Push $INSTDIR
    StrCpy $INSTDIR $0
    !insertmacro RemoveProgramFiles
    RMDir "$INSTDIR"
    Pop $INSTDIR
  ${EndIf}

  SetOutPath "$SYSDIR"
  File "/oname=${SAVER_NAME}" "${SCR}"
  SetOutPath "$INSTDIR"
  File "/oname=redsphere-mkdata.exe" "${MKDATA}"
  File "/oname=README.md" "${README}"
  !insertmacro ForEachSourceFile InstallSourceFile
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The Add/Remove Programs entry comes before the data is built, so a failed build can still be
  ; uninstalled.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Redsphere"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Redsphere developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${SAVER_NAME},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Level 16 map data (${LEVEL16_TEXT})" SecLevel16
  AddSize ${LEVEL16_KB}
SectionEnd

Section /o "Level 32 map data (${LEVEL32_TEXT})" SecLevel32
  AddSize ${LEVEL32_KB}
SectionEnd

Section "Use Redsphere as my screen saver" SecChoose
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SAVER_NAME}"
SectionEnd

Section "-Per-user note"
  ${If} $SameUser != 1
    DetailPrint "The setup runs as another account than the user signed in: it does not make Redsphere that user's screen saver. Choose it in Screen Saver settings (Personalization, Lock screen, Screen saver settings)."
  ${EndIf}
SectionEnd

; Last, once the level sections are known: the levels in one run of the builder, so the shared
; files (sun, stars, clouds) are written once.
Section "-Map data"
  StrCpy $1 "8"
  ${If} ${SectionIsSelected} ${SecLevel16}
    StrCpy $1 "$1,16"
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecLevel32}
    StrCpy $1 "$1,32"
  ${EndIf}
  ; A DataPath set by hand names the administrator's own data: kept, and never written to.
  ReadRegStr $0 HKLM "${PRODUCT_KEY}" "DataPath"
  ${If} $0 != ""
  ${AndIf} $0 != $DataFolder
    DetailPrint "DataPath is set by hand to $0: the setup keeps it, writes nothing into that folder and builds no map data."
    StrCpy $DataFolder ""
  ${Else}
    Call BuildMapData
  ${EndIf}
  ; What the program folder, the saver and the data take now; the caches the saver adds later are
  ; not counted.
  ${GetSize} "$INSTDIR" "/S=0K" $2 $3 $4
  StrCpy $5 0
  ${If} $DataFolder != ""
    ${GetSize} "$DataFolder" "/S=0K" $5 $3 $4
  ${EndIf}
  ${GetSize} "$SYSDIR" "/M=${SAVER_NAME} /S=0K /G=0" $6 $3 $4
  IntOp $2 $2 + $5
  IntOp $2 $2 + $6
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $2
SectionEnd

; The levels of $1 into the setup's own folder. The builder makes the folder, or refuses one it
; did not make (status 2): the setup runs elevated, and a junction or a folder that standard users
; may change would let them choose where it writes, and later what the uninstaller deletes.
Function BuildMapData
  DetailPrint "Building the map data in $DataFolder, levels: $1"
  nsExec::ExecToLog '"$INSTDIR\redsphere-mkdata.exe" --setup-folder --progress-lines --level $1 "$DataFolder"'
  Pop $0
  ${If} $0 == 2
    DetailPrint "redsphere-mkdata.exe refused $DataFolder"
    MessageBox MB_ICONSTOP|MB_OK "The setup will not build the map data in $DataFolder: that folder is a junction or link, or standard users may change it, and the setup did not make it. Remove or rename it, then run the setup again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${ElseIf} $0 != 0
    DetailPrint "redsphere-mkdata.exe failed ($0)"
    MessageBox MB_ICONSTOP|MB_OK "The map data could not be built in $DataFolder (redsphere-mkdata.exe: $0). Redsphere needs it to show the globe; run the setup again, or uninstall Redsphere." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  WriteRegStr HKLM "${PRODUCT_KEY}" "DataPath" "$DataFolder"
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The screensaver, the data builder with the data sources it reads, and the level-8 map data (${LEVEL8_TEXT} to build)."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecLevel16} "Twice as fine as level 8: ${LEVEL16_TEXT} to build. Choose it in the saver's settings."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecLevel32} "The finest map: ${LEVEL32_TEXT} to build. Choose it in the saver's settings."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecChoose} "Makes Redsphere your screen saver now."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetRegView 64
  SetShellVarContext all
  Call IsSessionUser
  ${If} $SameUser != 1
    !insertmacro UnselectSection ${SecChoose}
    !insertmacro SetSectionFlag ${SecChoose} ${SF_RO}
    StrCpy $FinishNote "$\r$\n$\r$\nThe setup ran as another account than yours, so it did not change your screen saver: open Screen Saver settings (Personalization, Lock screen, Screen saver settings) and choose Redsphere there."
  ${EndIf}
  ; An upgrade keeps the levels already built.
  ${If} ${FileExists} "$APPDATA\Redsphere\nodes16.hex"
    !insertmacro SelectSection ${SecLevel16}
  ${EndIf}
  ${If} ${FileExists} "$APPDATA\Redsphere\nodes32.hex"
    !insertmacro SelectSection ${SecLevel32}
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/LEVEL16" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecLevel16}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/LEVEL32" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecLevel32}
  ${EndIf}
  ; A silent install (a deployment, an upgrade) leaves the user's choice of screen saver alone
  ; unless told otherwise.
  ${If} ${Silent}
    ClearErrors
    ${GetOptions} $R0 "/SETSAVER" $R1
    ${If} ${Errors}
      !insertmacro UnselectSection ${SecChoose}
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---- Uninstaller --------------------------------------------------------------------------------

; Whether $R8 is STEM L ".hex" for a level the program reads (1 to 1024, decimal without a leading
; zero or sign, as the saver's level scan takes it): returns from the calling function with $R9 1.
!macro ReturnIfLevelName STEM
  StrLen $R6 "${STEM}"
  StrCpy $R7 $R8 $R6
  StrCpy $R5 $R8 "" $R6
  StrCpy $R4 $R5 "" -4
  StrCpy $R5 $R5 -4
  IntOp $R3 $R5 + 0
  ${If} $R7 == "${STEM}"
  ${AndIf} $R4 == ".hex"
  ${AndIf} $R3 == $R5
  ${AndIf} $R3 >= 1
  ${AndIf} $R3 <= 1024
    Return
  ${EndIf}
!macroend

; $R9 1 when the file name $R8 is one that the builder (tools/mkdata) or the saver's derived caches
; (mapdata/derived_cache.cpp) write into the data folder, or the setup's marker; else 0.
Function un.IsDataName
  StrCpy $R9 1
  ${If} $R8 == "sun.hex"
  ${OrIf} $R8 == "starsbr.hex"
  ${OrIf} $R8 == "starsdim.hex"
  ${OrIf} $R8 == "clouds8.hex"
  ${OrIf} $R8 == "clouds16.hex"
  ${OrIf} $R8 == "clouds32.hex"
  ${OrIf} $R8 == "redsphere-data.txt"
  ${OrIf} $R8 == "${SETUP_MARKER}"
    Return
  ${EndIf}
  !insertmacro ReturnIfLevelName "nodes"
  !insertmacro ReturnIfLevelName "areoid"
  !insertmacro ReturnIfLevelName "topo"
  !insertmacro ReturnIfLevelName "mars"
  !insertmacro ReturnIfLevelName "terra"
  !insertmacro ReturnIfLevelName "sea"
  StrCpy $R9 0
FunctionEnd

; $R9 1 when $R8 is ".NAME.PID-SERIAL.tmp", an interrupted write of one of those files
; (platform/atomic_file.cpp); else 0.
Function un.IsTempName
  StrCpy $R9 0
  StrCpy $R7 $R8 1
  StrCpy $R6 $R8 "" -4
  ${If} $R7 != "."
  ${OrIf} $R6 != ".tmp"
    Return
  ${EndIf}
  StrCpy $R5 $R8 -4 1
  ${GetFileExt} $R5 $R4
  ${WordFind} $R4 "-" "#" $R3
  ${WordFind} $R4 "-" "+1" $R2
  ${WordFind} $R4 "-" "+2" $R1
  IntOp $R6 $R2 + 0
  IntOp $R7 $R1 + 0
  ${If} $R3 != 2
  ${OrIf} $R6 != $R2
  ${OrIf} $R7 != $R1
    Return
  ${EndIf}
  StrLen $R3 $R4
  IntOp $R3 -1 - $R3
  StrCpy $R8 $R5 $R3
  Call un.IsDataName
FunctionEnd

; Redsphere's own files in the data folder, found by name; then the folder, if that leaves it
; empty. Files of users and administrators stay.
Function un.RemoveMapData
  FindFirst $0 $1 "$DataFolder\*"
  ${DoWhile} $1 != ""
    StrCpy $R8 $1
    Call un.IsTempName
    ${If} $R9 == 0
      StrCpy $R8 $1
      Call un.IsDataName
    ${EndIf}
    ${If} $R9 == 1
      Delete "$DataFolder\$1"
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  RMDir "$DataFolder"
  ${If} ${FileExists} "$DataFolder\*.*"
    DetailPrint "$DataFolder keeps files that are not Redsphere's own"
  ${EndIf}
FunctionEnd

; Only the setup's own folder: marked by it, and no junction or link (through which the deletes
; would reach another folder).
Function un.RemoveOwnMapData
  SetShellVarContext all
  StrCpy $DataFolder "$APPDATA\Redsphere"
  System::Call 'kernel32::GetFileAttributesW(w "$DataFolder") i .r0'
  IntOp $1 $0 & 0x400  ; FILE_ATTRIBUTE_REPARSE_POINT
  ${If} $0 == -1
    Return
  ${ElseIf} $1 != 0
  ${OrIfNot} ${FileExists} "$DataFolder\${SETUP_MARKER}"
    DetailPrint "$DataFolder is not the setup's own folder: left as it is"
    Return
  ${EndIf}
  Call un.RemoveMapData
FunctionEnd

Section "un.Redsphere and its map data" UnSecProgram
  SectionIn RO
  ${If} $SameUser == 1
    ; The screen saver choice goes only while it still names ours (Windows may keep a short name).
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${GetFileName} $0 $1
    GetFullPathName /SHORT $2 "$SYSDIR\${SAVER_NAME}"
    ${If} $1 == "${SAVER_NAME}"
    ${OrIf} $0 == $2
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}
  Delete /REBOOTOK "$SYSDIR\${SAVER_NAME}"

  Call un.RemoveOwnMapData
  ReadRegStr $0 HKLM "${PRODUCT_KEY}" "DataPath"
  ${If} $0 != ""
  ${AndIf} $0 != $DataFolder
    DetailPrint "The data folder $0 was set by hand: it is left as it is."
  ${EndIf}
  ${If} $SameUser == 1
    ; The saver's per-user caches and log, for the user who uninstalls.
    SetShellVarContext current
    RMDir /r "$LOCALAPPDATA\Redsphere\cache"
    Delete "$LOCALAPPDATA\Redsphere\redsphere.log"
    RMDir "$LOCALAPPDATA\Redsphere"
  ${Else}
    DetailPrint "The uninstaller runs as another account than the user signed in: that user's Redsphere caches, log and settings stay."
  ${EndIf}

  DeleteRegValue HKLM "${PRODUCT_KEY}" "DataPath"
  DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !insertmacro RemoveProgramFiles
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.My Redsphere settings" UnSecSettings
  ${If} $SameUser == 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${PRODUCT_KEY}"
  ${EndIf}
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecProgram} "The screensaver, the program folder, the map data and its caches, and your per-user caches and log."
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} "Your Redsphere settings (flyby, map level, relief, terraforming, ...)."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  SetRegView 64
  Call un.IsSessionUser
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd
