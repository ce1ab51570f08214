; The Quenmoor installer, per machine. The build defines:
;   VERSION       the version users read ("1.07")
;   FILE_VERSION  the four-part version ("1.7.1.317")
;   ARCH          x64 or x86
;   FILES         the product folder, staged with the commit's file times
;   FILES_NSH     the lists of its files and languages (release.py)
;   ICON          the program's icon
;   OUTFILE       the installer to write
;   CLASS_ID      the Explorer extension's class (src/settings/ShellIntegration.h)
;
; A 64-bit installer cannot start on 32-bit Windows at all: Windows itself
; refuses it with its message that the program cannot run on this PC.

!if ${ARCH} == x64
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh
!include "${FILES_NSH}"

!define SETTINGS_KEY "Software\Quenmoor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenmoor"
; The names of the files the installed version put into its folder, as values.
!define FILES_KEY "${UNINSTALL_KEY}\Files"
!define SERVER_KEY "CLSID\${CLASS_ID}\InProcServer32"
!define SHORTCUTS "$SMPROGRAMS\Quenmoor"
!define PROGRAM_SHORTCUT "${SHORTCUTS}\Quenmoor.lnk"
!define README_SHORTCUT "${SHORTCUTS}\Quenmoor Read Me.lnk"
; The Explorer extension, when the product has it.
!if /FileExists "${FILES}\tessivar.dll"
  !define EXPLORER_EXTENSION "$INSTDIR\tessivar.dll"
!endif

Name "Quenmoor ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Quenmoor ${VERSION}"
!if ${ARCH} == x64
  InstallDir "$PROGRAMFILES64\Quenmoor"
!else
  InstallDir "$PROGRAMFILES\Quenmoor"
!endif
; An earlier install is replaced where it is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion ${FILE_VERSION}
VIFileVersion ${FILE_VERSION}
VIAddVersionKey ProductName "Quenmoor"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${FILE_VERSION}"
VIAddVersionKey FileDescription "Quenmoor ${VERSION} Setup (${ARCH})"
VIAddVersionKey CompanyName "the Quenmoor authors"
VIAddVersionKey LegalCopyright "the Quenmoor authors"

Var ProgramLanguage
Var LanguageList
; The folder of an earlier install, from its "Apps and Features" entry.
Var EarlierFolder

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\ombrel.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!ifdef EXPLORER_EXTENSION
  !insertmacro MUI_PAGE_COMPONENTS
!endif
!insertmacro MUI_PAGE_DIRECTORY
Page custom LanguagePage LanguagePageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; Installs one file of the product folder. A file in use (the running
; program, or the extension loaded by Explorer) cannot be replaced but can be
; renamed: it moves aside and goes when Windows starts next.
!macro InstallProductFile Name
  Delete "$INSTDIR\${Name}"
  ${If} ${FileExists} "$INSTDIR\${Name}"
    Delete "$INSTDIR\${Name}.old"
    Rename "$INSTDIR\${Name}" "$INSTDIR\${Name}.old"
    Delete /REBOOTOK "$INSTDIR\${Name}.old"
  ${EndIf}
  File "${FILES}\${Name}"
!macroend

!macro RemoveProductFile Name
  Delete /REBOOTOK "$INSTDIR\${Name}"
  Delete /REBOOTOK "$INSTDIR\${Name}.old"
!macroend

!macro RecordProductFile Name
  WriteRegStr HKLM "${FILES_KEY}" "${Name}" ""
!macroend

; Runs Action on each file name an earlier install recorded, in $R9.
!macro RecordedFiles Action
  StrCpy $R8 0
  ${Do}
    EnumRegValue $R9 HKLM "${FILES_KEY}" $R8
    ${IfThen} $R9 == "" ${|} ${ExitDo} ${|}
    IntOp $R8 $R8 + 1
    !insertmacro ${Action} "$R9"
  ${Loop}
!macroend

; Whether two paths name one file or folder: as the system spells them short
; when both are there (StrCmp ignores case), else as given.
!macro SamePath A B Result
  GetFullPathName /SHORT $R6 "${A}"
  GetFullPathName /SHORT $R7 "${B}"
  ${If} $R6 == ""
  ${OrIf} $R7 == ""
    GetFullPathName $R6 "${A}"
    GetFullPathName $R7 "${B}"
  ${EndIf}
  ${If} $R6 == $R7
    StrCpy ${Result} 1
  ${Else}
    StrCpy ${Result} 0
  ${EndIf}
!macroend

!macro AddLanguage Name
  ${NSD_CB_AddString} $LanguageList "${Name}"
!macroend

; Administrators only: the program, its settings and the Explorer entries are
; the machine's.
!macro RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Administrator rights are needed to install or remove Quenmoor." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  SetShellVarContext all
!macroend

Function .onInit
  !insertmacro RequireAdministrator
  ; Installing again keeps the language chosen before.
  ReadRegStr $ProgramLanguage HKLM "${SETTINGS_KEY}" "Language"
  ${If} $ProgramLanguage == ""
    StrCpy $ProgramLanguage "English"
  ${EndIf}
  ReadRegStr $EarlierFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"
  !ifdef EXPLORER_EXTENSION
    Call ChooseIntegration
  !endif
FunctionEnd

; An install into another folder takes the earlier one away, by its own
; uninstaller, which knows its files. When that fails nothing is installed,
; and the message says where the earlier Quenmoor is.
Function RemoveEarlierFolder
  ${If} $EarlierFolder == ""
  ${OrIfNot} ${FileExists} "$EarlierFolder\*.*"
    Return
  ${EndIf}
  !insertmacro SamePath $EarlierFolder $INSTDIR $0
  ${If} $0 == 1
    Return
  ${EndIf}
  ClearErrors
  ExecWait '"$EarlierFolder\uninstall.exe" /S _?=$EarlierFolder' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    MessageBox MB_ICONSTOP "Quenmoor is already installed in $EarlierFolder and could not be removed from there. Remove it first (Apps and Features), or install into that folder." /SD IDOK
    Abort
  ${EndIf}
  ; The uninstaller ran in place, so it could not delete itself.
  Delete "$EarlierFolder\uninstall.exe"
  RMDir "$EarlierFolder"
FunctionEnd

; A file an earlier version installed here goes, also one this version no
; longer ships; what this version ships comes back at once.
!macro RemoveEarlierFile Name
  Delete "$INSTDIR\${Name}"
  ${If} ${FileExists} "$INSTDIR\${Name}"
    Delete "$INSTDIR\${Name}.old"
    Rename "$INSTDIR\${Name}" "$INSTDIR\${Name}.old"
    Delete /REBOOTOK "$INSTDIR\${Name}.old"
  ${EndIf}
!macroend

Function LanguagePage
  !insertmacro MUI_HEADER_TEXT "Language" "Choose the language of Quenmoor's windows."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Quenmoor shows its windows and messages in this language. You can change it later in its Options window."
  Pop $0
  ${NSD_CreateDropList} 0 30u 50% 80u ""
  Pop $LanguageList
  !insertmacro ProductLanguages AddLanguage
  ; The stored name as the options window matches it: whole, in any case.
  SendMessage $LanguageList ${CB_FINDSTRINGEXACT} -1 "STR:$ProgramLanguage" $0
  ${If} $0 < 0
    SendMessage $LanguageList ${CB_FINDSTRINGEXACT} -1 "STR:English" $0
  ${EndIf}
  ${If} $0 < 0
    StrCpy $0 0
  ${EndIf}
  SendMessage $LanguageList ${CB_SETCURSEL} $0 0
  nsDialogs::Show
FunctionEnd

Function LanguagePageLeave
  ${NSD_GetText} $LanguageList $ProgramLanguage
FunctionEnd

Section "Quenmoor" SecProgram
  SectionIn RO
  Call RemoveEarlierFolder
  SetOutPath "$INSTDIR"
  !insertmacro RecordedFiles RemoveEarlierFile
  DeleteRegKey HKLM "${FILES_KEY}"
  !insertmacro ProductFiles InstallProductFile
  !insertmacro ProductFiles RecordProductFile
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${SETTINGS_KEY}" "Language" $ProgramLanguage

  CreateDirectory "${SHORTCUTS}"
  CreateShortcut "${PROGRAM_SHORTCUT}" "$INSTDIR\ombrel.exe"
  CreateShortcut "${README_SHORTCUT}" "$INSTDIR\readme.txt"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quenmoor ${VERSION} (${ARCH})"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "the Quenmoor authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ombrel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

!ifdef EXPLORER_EXTENSION
; The extension writes and removes exactly the entries of the options
; window's "Integrate with Windows Explorer", from the program's own table.
Section "Integrate with Windows Explorer" SecExplorer
  ClearErrors
  RegDLL "${EXPLORER_EXTENSION}"
  ${If} ${Errors}
    MessageBox MB_ICONEXCLAMATION "Quenmoor could not be integrated with Windows Explorer." /SD IDOK
  ${EndIf}
SectionEnd

; Installing again without the component takes the integration away; the
; extension removes only its own, so a portable copy's stays.
Section "-Explorer integration left out"
  ${IfNot} ${SectionIsSelected} ${SecExplorer}
    UnRegDLL "${EXPLORER_EXTENSION}"
  ${EndIf}
SectionEnd

; The component is offered checked unless another copy (a portable one) holds
; the integration, and for a reinstall only when the earlier install held it.
; 64-bit Explorer cannot load a 32-bit extension: a 32-bit installer on
; 64-bit Windows leaves the component out and says so.
Function ChooseIntegration
  ${If} ${IsWow64}
    !insertmacro UnselectSection ${SecExplorer}
    !insertmacro SetSectionFlag ${SecExplorer} ${SF_RO}
    SectionSetText ${SecExplorer} "Integrate with Windows Explorer (needs the x64 installer)"
    MessageBox MB_ICONINFORMATION "This installer is for 32-bit Windows. Windows Explorer on 64-bit Windows cannot load its Explorer extension, so Quenmoor is installed without $\"Integrate with Windows Explorer$\".$\n$\nFor the integration, install Quenmoor with Quenmoor-${VERSION}-x64-setup.exe instead." /SD IDOK
    Return
  ${EndIf}
  ReadRegStr $0 HKCR "${SERVER_KEY}" ""
  ${If} $EarlierFolder != ""
    ${If} $0 == ""
      StrCpy $1 0
    ${Else}
      !insertmacro SamePath $0 "$EarlierFolder\tessivar.dll" $1
    ${EndIf}
    ${If} $1 == 0
      !insertmacro UnselectSection ${SecExplorer}
    ${EndIf}
  ${ElseIf} $0 != ""
    !insertmacro UnselectSection ${SecExplorer}
  ${EndIf}
FunctionEnd
!endif

Function un.onInit
  !insertmacro RequireAdministrator
FunctionEnd

; Everything the installer or the program wrote, and nothing else: a file of
; the user's keeps the folder.
Section "Uninstall"
  !ifdef EXPLORER_EXTENSION
    UnRegDLL "${EXPLORER_EXTENSION}"
  !endif
  !insertmacro ProductFiles RemoveProductFile
  !insertmacro RecordedFiles RemoveProductFile
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"

  Delete "${PROGRAM_SHORTCUT}"
  Delete "${README_SHORTCUT}"
  RMDir "${SHORTCUTS}"

  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
