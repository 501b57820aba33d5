; The setup program: Sonbrel.exe and help.chm side by side in a program folder, a
; Start-menu folder with shortcuts, an uninstaller and its entry among the installed
; programs; Sonbrel offered in Open with for the media types it opens, and its name for
; Run. The uninstaller removes exactly these; the user's settings under
; HKCU\software\Travenor, any file of the user's and every other program's file types
; stay.
;
; makensis -DSONBREL_EXE=<Sonbrel.exe> -DHELP_CHM=<help.chm> -DOUTFILE=<setup.exe> -DVERSION=<x.y> Sonbrel.nsi

!ifndef SONBREL_EXE | HELP_CHM | OUTFILE | VERSION
  !error "Define SONBREL_EXE, HELP_CHM, OUTFILE and VERSION"
!endif

!define PRODUCT "Sonbrel"
!define MAKER "Travenor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define CLASSES "Software\Classes"
!define APPLICATION_KEY "${CLASSES}\Applications\Sonbrel.exe"
!define PROGID "Travenor.Sonbrel.Media"
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\Sonbrel.exe"
!define OPEN_COMMAND '"$INSTDIR\Sonbrel.exe" "%1"'
!define SHCNE_ASSOCCHANGED 0x08000000

; Inserts macro _m once for each media type offered in Open with: the audio and video
; types that the platform's decoders open.
!macro ForEachMediaType _m
  !insertmacro ${_m} ".mp3"
  !insertmacro ${_m} ".wav"
  !insertmacro ${_m} ".wma"
  !insertmacro ${_m} ".m4a"
  !insertmacro ${_m} ".aac"
  !insertmacro ${_m} ".flac"
  !insertmacro ${_m} ".ogg"
  !insertmacro ${_m} ".opus"
  !insertmacro ${_m} ".mp2"
  !insertmacro ${_m} ".ac3"
  !insertmacro ${_m} ".aif"
  !insertmacro ${_m} ".aiff"
  !insertmacro ${_m} ".avi"
  !insertmacro ${_m} ".mp4"
  !insertmacro ${_m} ".mkv"
  !insertmacro ${_m} ".webm"
  !insertmacro ${_m} ".wmv"
  !insertmacro ${_m} ".mpg"
  !insertmacro ${_m} ".mpeg"
  !insertmacro ${_m} ".vob"
!macroend

; A type lists Sonbrel among the programs that open it; its default program, if any,
; stays.
!macro OfferType _ext
  WriteRegStr HKLM "${APPLICATION_KEY}\SupportedTypes" "${_ext}" ""
  WriteRegStr HKLM "${CLASSES}\${_ext}\OpenWithProgids" "${PROGID}" ""
!macroend

; Takes back what OfferType wrote. The type's keys go only when nothing else is left in
; them (/ifempty: no value and no subkey): other programs share them.
!macro WithdrawType _ext
  DeleteRegValue HKLM "${CLASSES}\${_ext}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKLM "${CLASSES}\${_ext}\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "${CLASSES}\${_ext}"
!macroend

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 ${MAKER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "${PRODUCT}"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=Sonbrel.exe" "${SONBREL_EXE}"
  File "/oname=help.chm" "${HELP_CHM}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\Sonbrel.exe"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT} Help.lnk" "$INSTDIR\help.chm"
  CreateShortcut "${MENU_FOLDER}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Sonbrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; Open with: the application's own entry, and a file type of its own that each media
  ; type offers. Neither becomes any type's default.
  WriteRegStr HKLM "${APPLICATION_KEY}" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr HKLM "${APPLICATION_KEY}\shell\open\command" "" '${OPEN_COMMAND}'
  WriteRegStr HKLM "${CLASSES}\${PROGID}" "" "Media file"
  WriteRegStr HKLM "${CLASSES}\${PROGID}" "FriendlyTypeName" "Media file"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\Sonbrel.exe,0"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\shell\open" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\shell\open\command" "" '${OPEN_COMMAND}'
  !insertmacro ForEachMediaType OfferType
  ; Run and the command prompt's start find the program by its name.
  WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\Sonbrel.exe"
  WriteRegStr HKLM "${APP_PATHS_KEY}" "Path" "$INSTDIR"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; Named files only, never a wildcard: whatever else the user put here stays, and so
  ; does the folder then.
  Delete "$INSTDIR\Sonbrel.exe"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${MENU_FOLDER}\${PRODUCT} Help.lnk"
  Delete "${MENU_FOLDER}\Uninstall ${PRODUCT}.lnk"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  !insertmacro ForEachMediaType WithdrawType
  DeleteRegKey HKLM "${APPLICATION_KEY}"
  DeleteRegKey HKLM "${CLASSES}\${PROGID}"
  DeleteRegKey HKLM "${APP_PATHS_KEY}"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd
