; The Windows installer of Volterne, made by scripts/windows:
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.1.0 -DBUNDLE=<folder> -DFILES=<files.nsh>
;            -DREMOVE=<remove.nsh> -DOUTFILE=<setup.exe> volterne.nsi
; BUNDLE is the folder the zip holds; FILES and REMOVE list its files, to install and to remove
; (the uninstaller removes what was installed and nothing else: the user's recordings and
; param.ini, in %LOCALAPPDATA%\Volterne, stay).
;
; For all users into Program Files when run with administrator rights, else for the user alone
; into the user's programs folder; /AllUsers or /CurrentUser choose, /S installs silently.
Unicode true
; A 64-bit installer, as the program is (and as Wine without its 32-bit part runs).
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Volterne"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Volterne"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "Software\${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include x64.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${BUNDLE}\volterne.ico"
!define MUI_UNICON "${BUNDLE}\volterne.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\volterne.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\guide\guide.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Lire le guide de l'utilisateur"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_LICENSE "${BUNDLE}\LICENSE.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "CompanyName" "The Volterne developers"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" "2026 The Volterne developers, GPL-3.0-or-later"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "Volterne demande une version 64 bits de Windows."
        Abort
    ${EndIf}
    SetRegView 64
    !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Volterne"
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; Start menu: the program and its guide.
    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\volterne.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Guide de ${PRODUCT}.lnk" "$INSTDIR\guide\guide.html"
    ; "Apps & features" (SHCTX: the machine's for all users, the user's otherwise).
    WriteRegStr SHCTX "Software\${PRODUCT}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\volterne.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "The Volterne developers"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
    !include "${REMOVE}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Guide de ${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    DeleteRegKey SHCTX "Software\${PRODUCT}"
SectionEnd
