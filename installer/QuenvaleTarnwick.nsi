; The per-user installer of Quenvale Tarnwick: it needs no administrator rights, installs under
; the user's local application data, adds a Start menu folder and an uninstaller, and registers
; the uninstaller with the system for this user only. make_packages.sh runs makensis with:
;   /DSTAGE=...    the folder of files to install (the program and everything beside it)
;   /DFILES=...    an include file with the install and uninstall lines of each staged file
;   /DOUTFILE=...  the installer to write
;   /DVERSION=...  the version shown in the system's list of programs
;   /DTARGET=...   x86-unicode (the 32-bit program) or amd64-unicode
Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Quenvale Tarnwick"
!define EXE "QuenvaleTarnwick.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuenvaleTarnwick"
!define SETTINGS_KEY "Software\Quenvale Tarnwick"
; The picture component the program registers for the user at every start.
!define COMPONENT_KEY "Software\Classes\CLSID\{C5B3A481-21E3-4CAB-8ABD-3C6A85892AD2}"

!include "${FILES}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${SETTINGS_KEY}" "InstallDir"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Program"
  SetShellVarContext current
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${EXE}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Only the files the installer put there, by name, and then the folders if they are empty: a
  ; folder the user chose may hold other things, which stay.
  !insertmacro UninstallFiles
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKCU "${COMPONENT_KEY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd
