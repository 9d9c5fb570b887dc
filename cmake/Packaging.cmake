# A Debian package through CPack: `make package`.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "brevolan4")
set(CPACK_PACKAGE_VENDOR "Tarvenix")
set(CPACK_PACKAGE_CONTACT "Brevolan 4 developers <brevolan4@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for RDS/RBDS encoders")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "hamradio")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's fonts are Liberation (metric twins of the fonts it was laid
# out with); without a platform plugin no Qt window opens at all.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
# postinst applies the udev rule to encoders plugged in before installing.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/data/debian/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary first and indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Brevolan 4 reads, edits and sends the 23 parameters of an RDS/RBDS encoder
over a serial port or an FTDI USB link, keeps them in .bvx files and ships
the command-line companion brevolan4-cli and the encoder simulator
brevolan4-encoder-sim.")
include(CPack)
