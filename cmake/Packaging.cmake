# SPDX-License-Identifier: MIT
# Manual pages and the Debian package: `cpack -G DEB` in the build folder gives
# quillmark_<version>_<arch>.deb, installed under /usr.

# Debian wants manual pages and changelogs compressed without a timestamp (gzip -n).
set(qm_doc_dir "${PROJECT_BINARY_DIR}/packaging")
configure_file(packaging/changelog.in "${qm_doc_dir}/changelog" @ONLY)
set(qm_gzipped "")
foreach(source IN ITEMS docs/man/qmark.1 docs/man/quillmark.1 "${qm_doc_dir}/changelog")
  get_filename_component(name "${source}" NAME)
  get_filename_component(source "${source}" ABSOLUTE)
  add_custom_command(OUTPUT "${qm_doc_dir}/${name}.gz"
                     COMMAND gzip -9nc "${source}" > "${qm_doc_dir}/${name}.gz"
                     DEPENDS "${source}" VERBATIM)
  list(APPEND qm_gzipped "${qm_doc_dir}/${name}.gz")
endforeach()
add_custom_target(qm_docs ALL DEPENDS ${qm_gzipped})

install(FILES "${qm_doc_dir}/qmark.1.gz" DESTINATION share/man/man1)
if(QM_CORE_ONLY)
  return()
endif()
install(FILES "${qm_doc_dir}/quillmark.1.gz" DESTINATION share/man/man1)
install(FILES packaging/copyright "${qm_doc_dir}/changelog.gz" DESTINATION share/doc/quillmark)
# The toolbar's web-page command opens this copy of the README.
install(FILES README.md DESTINATION share/doc/quillmark)

set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VENDOR "The Quillmark 98 developers")
set(CPACK_PACKAGE_CONTACT "The Quillmark 98 developers <quillmark@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "boxed procedure header comments for Visual Basic and C++")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillmark 98 formats a boxed header comment for one procedure (its name,\n"
    "purpose, return value, kind, access and parameters) in Visual Basic or C++\n"
    "remark syntax, stamps it with your name and the date and puts it on the\n"
    "clipboard. It frames free-form notes between the same rules. The package\n"
    "holds the window, its add-in for the bundled development environment, and\n"
    "qmark, which writes the same blocks to standard output.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The list in /etc sits outside the prefix: staging through DESTDIR keeps it out of the
# building machine's own /etc.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins, so dpkg-shlibdeps cannot see them: the X11/Wayland platform and SVG icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg keeps an administrator's edits of the list across upgrades.
file(WRITE "${qm_doc_dir}/conffiles" "${QM_XDG_CONFIG_DIR}/quillmark/vbaddin.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${qm_doc_dir}/conffiles")
set(CPACK_GENERATOR DEB)
include(CPack)

if(QM_BUILD_TESTS)
  qm_add_test(package COMMAND sh ${PROJECT_SOURCE_DIR}/packaging/check.sh ${PROJECT_BINARY_DIR}
              LABELS package TIMEOUT 300)
endif()
