; The Windows installer of Geovista 3D, made by makensis (Debian's nsis):
;   makensis -DVERSION=0.1.0 -DSCR=Geovista.scr -DEXE=Geovista.exe
;            -DLICENSE=LICENSE -DICON=geovista.ico -DOUT=Geovista3D-Setup.exe
;            geovista.nsi
; It puts the saver where Windows lists screen savers (the system folder),
; the application with its uninstaller in the program files, a Start-menu
; entry for the application and the uninstaller's entry in "Apps and
; features". /S installs without a word; the uninstaller takes /S too.
; The settings each user keeps in %LOCALAPPDATA%\Geovista3D\ stay.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Geovista 3D"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Geovista3D"

Name "${PRODUCT}"
OutFile "${OUT}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

LicenseData "${LICENSE}"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Quorvane"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "MIT licence"

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Geovista 3D"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    ; An ordinary executable always runs as the application.
    File "/oname=Geovista.exe" "${EXE}"
    File "/oname=LICENSE.txt" "${LICENSE}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    ; Windows lists the savers of the system folder.
    SetOutPath "$SYSDIR"
    File "/oname=Geovista.scr" "${SCR}"
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Geovista.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quorvane"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Geovista.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SYSDIR\Geovista.scr"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\Geovista.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
