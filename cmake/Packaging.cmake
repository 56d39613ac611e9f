# The Debian package, made by CPack from the install rules (./package.sh).

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "quorvel")
set(CPACK_PACKAGE_VENDOR "Quorvel")
set(CPACK_PACKAGE_CONTACT "Quorvel <dev@quorvel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "HTML project editor for beginners (Japanese interface)")
set(CPACK_PACKAGE_DESCRIPTION "Quorvel keeps a small web site in one project file: HTML pages as text, \
pictures and other files by path. Pages are edited one at a time, with links, picture tags and \
wizard-made markup inserted from a catalogue, shown live in an embedded browser and written out \
to a folder. The interface is in Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "editors")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Library packages come from the executable itself (libqt6gui6 brings the X11
# platform, the GIF and JPEG readers and the IBus input plugin); a Japanese
# font, needed to show the interface, is not found that way.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic | fonts-takao-gothic")
# Qt's own dialogs in Japanese, and a native Wayland window.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ibus-mozc | fcitx5-mozc")

include(CPack)
