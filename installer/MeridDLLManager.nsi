; The Windows installer of MeridDLLManager, made on Linux by installer/makensis.sh
; (scripts/installer builds what it needs first). Defined on the command line:
;   ARCH         x64: for 64-bit Windows, both DLLs; x86: for 32-bit Windows
;   X86_PAYLOAD  payload.nsh of the 32-bit build (and X64_PAYLOAD of the 64-bit
;                one for ARCH x64): the files to carry and the version
;   SOURCE       the source tree (INI samples, examples, documents)
;   OUTDIR       where to write MeridDLLManager-<version>-<arch>-setup.exe
;
; Layout: <dir>\x86 holds the 32-bit DLL (the one 32-bit hosts such as VB6 and
; 32-bit Office load), <dir>\x64 the 64-bit one. Each DLL reads MeridFiscal.ini
; and display.ini from its own folder and loads CeFdll.dll from there first,
; and a 32-bit process cannot load a 64-bit CeFdll.dll: each folder is
; complete on its own. meridctl.exe and meridd.exe sit beside the DLL of the
; installer's own kind and share its INI and printer library.
;
; The x86 installer refuses 64-bit Windows, where the x64 one installs both
; DLLs: two installations under one name in two registry views would confuse
; Add/Remove Programs.
;
; Silent roll-out: setup.exe /S [/VIRTUALPRINTER] [/D=C:\Folder] (/D last).

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x64 or x86"
!endif

!include "${X86_PAYLOAD}"
!if "${ARCH}" == "x64"
  !include "${X64_PAYLOAD}"
  !if "${x86_VERSION}" != "${x64_VERSION}"
    !error "the 32-bit build is version ${x86_VERSION}, the 64-bit one ${x64_VERSION}: rebuild both"
  !endif
!endif
!define VERSION "${x86_VERSION}"
!ifndef ${ARCH}_MERIDCTL
  !warning "meridctl.exe is not built for Windows in this tree: the installer is made without it"
!endif
!ifndef ${ARCH}_MERIDD
  !warning "meridd.exe is not built for Windows in this tree: the installer is made without it"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh

!define PRODUCT "MeridDLLManager"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MeridDLLManager"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTDIR}/${PRODUCT}-${VERSION}-${ARCH}-setup.exe"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestSupportedOS all
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINSTKEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup (${ARCH})"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PRODUCT} developers"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; 1 under Wine. Its registration of a 32-bit DLL fails where the Wine has no
; 32-bit support, which says nothing about the DLL; on Windows it would.
Var UnderWine

!macro MeridDetectWine
  StrCpy $UnderWine 0
  System::Call 'ntdll::wine_get_version() m .r0'
  ${If} $0 != ""
  ${AndIf} $0 != "error"
    StrCpy $UnderWine 1
  ${EndIf}
!macroend

; The regsvr32 of each kind: the amd64 installer runs natively, so $SYSDIR is
; the 64-bit System32 and the 32-bit one is in SysWOW64.
!if "${ARCH}" == "x64"
  !define REGSVR32_x64 "$SYSDIR\regsvr32.exe"
  !define REGSVR32_x86 "$WINDIR\SysWOW64\regsvr32.exe"
  !define SYSTEM_x64 "$SYSDIR"
  !define SYSTEM_x86 "$WINDIR\SysWOW64"
!else
  !define REGSVR32_x86 "$SYSDIR\regsvr32.exe"
  !define SYSTEM_x86 "$SYSDIR"
!endif

; The DLL of one kind, its INI samples and (for the installer's own kind) the tools.
!macro MeridFolder KIND DLL
  SetOutPath "$INSTDIR\${KIND}"
  File "/oname=MeridDLLManager.dll" "${DLL}"
  ; A reinstallation keeps the shop's settings.
  SetOverwrite off
  File "${SOURCE}/examples/ini/MeridFiscal.ini"
  File "${SOURCE}/examples/ini/display.ini"
  SetOverwrite on
!macroend

!macro MeridRegister KIND
  DetailPrint "Registering $INSTDIR\${KIND}\MeridDLLManager.dll"
  ClearErrors
  ExecWait '"${REGSVR32_${KIND}}" /s "$INSTDIR\${KIND}\MeridDLLManager.dll"' $0
  ${If} ${Errors}
    StrCpy $0 "not started"
  ${EndIf}
  ${If} $0 != 0
    ${If} $UnderWine == 1
    ${AndIf} "${KIND}" == "x86"
      DetailPrint "The 32-bit DLL is not registered: this Wine cannot run 32-bit programs (regsvr32: $0)"
    ${Else}
      MessageBox MB_ICONSTOP "Registering $INSTDIR\${KIND}\MeridDLLManager.dll failed (regsvr32: $0)." /SD IDOK
      SetErrorLevel 3
      Abort
    ${EndIf}
  ${EndIf}
!macroend

!macro MeridUnregister KIND
  ${If} ${FileExists} "$INSTDIR\${KIND}\MeridDLLManager.dll"
    DetailPrint "Unregistering $INSTDIR\${KIND}\MeridDLLManager.dll"
    ClearErrors
    ExecWait '"${REGSVR32_${KIND}}" /u /s "$INSTDIR\${KIND}\MeridDLLManager.dll"' $0
    ${If} ${Errors}
      StrCpy $0 "not started"
    ${EndIf}
    ${If} $0 != 0
      DetailPrint "Unregistering the ${KIND} DLL failed (regsvr32: $0)"
      ${If} $UnderWine != 1
      ${OrIf} "${KIND}" != "x86"
        MessageBox MB_ICONEXCLAMATION "Unregistering $INSTDIR\${KIND}\MeridDLLManager.dll failed (regsvr32: $0); the files are removed all the same." /SD IDOK
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

; Our virtual printer's CeFdll.dll carries our version; a printer maker's does not.
!macro MeridIsOurPrinter FILE RESULT
  StrCpy ${RESULT} 0
  ClearErrors
  GetDLLVersion "${FILE}" $R8 $R9
  ${IfNot} ${Errors}
    IntOp $R7 $R8 >> 16
    IntOp $R8 $R8 & 0xFFFF
    IntOp $R9 $R9 >> 16
    ${If} "$R7.$R8.$R9" == "${VERSION}"
      StrCpy ${RESULT} 1
    ${EndIf}
  ${EndIf}
!macroend

; The virtual printer beside the DLL of one kind, unless a CeFdll.dll is
; already there or where the DLL would find it next (the system folders): the
; printer maker's library is never replaced nor hidden behind ours. Ours from
; an earlier installation is replaced.
!macro MeridVirtualPrinter KIND FILE
  StrCpy $R0 ""
  ReadRegDWORD $R1 HKLM "${UNINSTKEY}" "VirtualPrinter_${KIND}"
  ${If} ${FileExists} "$INSTDIR\${KIND}\CeFdll.dll"
  ${AndIf} $R1 != 1
    StrCpy $R0 "$INSTDIR\${KIND}\CeFdll.dll"
  ${ElseIf} ${FileExists} "${SYSTEM_${KIND}}\CeFdll.dll"
    StrCpy $R0 "${SYSTEM_${KIND}}\CeFdll.dll"
  ${ElseIf} ${FileExists} "$WINDIR\CeFdll.dll"
    StrCpy $R0 "$WINDIR\CeFdll.dll"
  ${EndIf}
  ${If} $R0 != ""
    DetailPrint "Virtual printer (${KIND}) not installed: $R0 is there, the printer maker's library is kept"
  ${Else}
    SetOutPath "$INSTDIR\${KIND}"
    File "/oname=CeFdll.dll" "${FILE}"
    WriteRegDWORD HKLM "${UNINSTKEY}" "VirtualPrinter_${KIND}" 1
  ${EndIf}
!macroend

!macro MeridRemoveFolder KIND
  ReadRegDWORD $R1 HKLM "${UNINSTKEY}" "VirtualPrinter_${KIND}"
  ${If} $R1 == 1
    !insertmacro MeridIsOurPrinter "$INSTDIR\${KIND}\CeFdll.dll" $R2
    ${If} $R2 == 1
      Delete /REBOOTOK "$INSTDIR\${KIND}\CeFdll.dll"
    ${EndIf}
  ${EndIf}
  Delete /REBOOTOK "$INSTDIR\${KIND}\MeridDLLManager.dll"
  Delete /REBOOTOK "$INSTDIR\${KIND}\meridctl.exe"
  Delete /REBOOTOK "$INSTDIR\${KIND}\meridd.exe"
  Delete "$INSTDIR\${KIND}\MeridFiscal.ini"
  Delete "$INSTDIR\${KIND}\display.ini"
  ; The logs the library writes beside itself.
  Delete "$INSTDIR\${KIND}\MeridDllManager.log"
  Delete "$INSTDIR\${KIND}\MeridDll_LoggerDebug.log"
  Delete "$INSTDIR\${KIND}\CefDll_Day*.log"
  RMDir "$INSTDIR\${KIND}"
!macroend

Section "MeridDLLManager (required)" SecCore
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${SOURCE}/CHANGELOG.md"
  File "${SOURCE}/README.md"
  File "${SOURCE}/docs/reference.md"
  SetOutPath "$INSTDIR\examples"
  File /r "${SOURCE}/examples/cpp" "${SOURCE}/examples/http" "${SOURCE}/examples/ini" \
    "${SOURCE}/examples/meridd" "${SOURCE}/examples/scripts" "${SOURCE}/examples/vbscript"

  !insertmacro MeridFolder x86 "${x86_DLL}"
!if "${ARCH}" == "x64"
  !insertmacro MeridFolder x64 "${x64_DLL}"
!endif
  SetOutPath "$INSTDIR\${ARCH}"
!ifdef ${ARCH}_MERIDCTL
  File "/oname=meridctl.exe" "${${ARCH}_MERIDCTL}"
!endif
!ifdef ${ARCH}_MERIDD
  File "/oname=meridd.exe" "${${ARCH}_MERIDD}"
!endif

  ; The uninstaller and its entry first: a failed registration leaves
  ; something the user can remove.
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTKEY}" "EstimatedSize" $0

!if "${ARCH}" == "x64"
  !insertmacro MeridRegister x64
!endif
  !insertmacro MeridRegister x86
SectionEnd

Section /o "Virtual printer (CeFdll.dll, to try things without a printer)" SecVirtual
!if "${ARCH}" == "x64"
  !insertmacro MeridVirtualPrinter x64 "${x64_SIM}"
!endif
  !insertmacro MeridVirtualPrinter x86 "${x86_SIM}"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecCore} "MeridDLLManager.dll registered for automation hosts, meridctl, meridd, the sample settings and the examples."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVirtual} "A virtual fiscal printer as CeFdll.dll, for trying things without a printer. Skipped where a CeFdll.dll is already installed."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
!if "${ARCH}" == "x64"
  SetRegView 64
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "This installer is for 64-bit Windows." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!else
  ${If} ${RunningX64}
    MessageBox MB_ICONSTOP "On 64-bit Windows use the x64 installer: it installs the 32-bit and the 64-bit DLL." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!endif
  !insertmacro MeridDetectWine
  ; /VIRTUALPRINTER picks the virtual printer, for silent installations.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/VIRTUALPRINTER" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecVirtual}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro MeridUnregister x86
!if "${ARCH}" == "x64"
  !insertmacro MeridUnregister x64
  !insertmacro MeridRemoveFolder x64
!endif
  !insertmacro MeridRemoveFolder x86
  RMDir /r "$INSTDIR\examples"
  Delete "$INSTDIR\CHANGELOG.md"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\reference.md"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd

Function un.onInit
!if "${ARCH}" == "x64"
  SetRegView 64
!endif
  !insertmacro MeridDetectWine
FunctionEnd
