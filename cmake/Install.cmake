# What `cmake --install` lays out, the CMake package and pkg-config files a host finds the
# library by, and the Debian package made of the same install (`cpack -G DEB`).

# On a multiarch system (Debian) the libraries go in lib/<triplet> from any prefix, so an
# install into a folder of one's own and the .deb have one layout.
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT DEFINED CACHE{CMAKE_INSTALL_LIBDIR})
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}
      CACHE PATH "Object code libraries (lib/${CMAKE_LIBRARY_ARCHITECTURE})")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QVDLL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qvdll)
# The JPEG module is the library's own business: a folder of its own under the library
# folder, which the loader searches next to libqvplatform.so.
set(QVDLL_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/qvdll)
set(QVDLL_TOOLS qvmap qvmsg qvunit qvserver qvclient qvload)

# Run paths relative to each binary, so the installed tree works from any prefix. The build
# tree has the same ones: a run path that CMake edits at install time gets an empty entry in
# the build tree, which the dynamic linker takes for the current folder. The tools' second
# one is the build tree's lib/.
file(RELATIVE_PATH tools_to_libdir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set(tools_rpath "\$ORIGIN/${tools_to_libdir}" "\$ORIGIN/../lib")
list(REMOVE_DUPLICATES tools_rpath)
set_target_properties(${QVDLL_TOOLS} PROPERTIES INSTALL_RPATH "${tools_rpath}")
set_target_properties(qvdll PROPERTIES INSTALL_RPATH "\$ORIGIN")
set_target_properties(${QVDLL_TOOLS} qvdll qvplatform PROPERTIES BUILD_WITH_INSTALL_RPATH ON)

# The public headers are C++20: so are the hosts built against the exported targets.
target_compile_features(qvplatform PUBLIC cxx_std_20)
install(TARGETS qvdll qvplatform EXPORT qvdllTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/qvdll
                  ${PROJECT_SOURCE_DIR}/platform/include/qvplatform
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET jpeglib)
  set_target_properties(jpeglib PROPERTIES INSTALL_RPATH "\$ORIGIN/.." BUILD_WITH_INSTALL_RPATH ON)
  install(TARGETS jpeglib LIBRARY DESTINATION ${QVDLL_MODULE_DIR})
endif()
install(TARGETS ${QVDLL_TOOLS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/MAP.BMP ${PROJECT_SOURCE_DIR}/data/sample.map
              ${PROJECT_SOURCE_DIR}/data/units.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/qvdll)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/Images DESTINATION ${CMAKE_INSTALL_DATADIR}/qvdll)

# find_package(qvdll CONFIG): the targets qvdll::qvdll and qvdll::qvplatform.
install(EXPORT qvdllTargets NAMESPACE qvdll:: DESTINATION ${QVDLL_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/qvdllConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/qvdllConfig.cmake
                              INSTALL_DESTINATION ${QVDLL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/qvdllConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/qvdllConfig.cmake ${CMAKE_BINARY_DIR}/qvdllConfigVersion.cmake
        DESTINATION ${QVDLL_CMAKE_DIR})

# pkg-config: the prefix is found from where the .pc file lies, so that it holds for
# `cmake --install --prefix`, for DESTDIR and for the .deb alike.
file(RELATIVE_PATH QVDLL_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
foreach(pc qvdll qvplatform)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/${pc}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# One package holds it all: library, module, headers, CMake and pkg-config files, tools and
# sample data. Its dependencies come from the shared objects (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qvdll)
set(CPACK_PACKAGE_CONTACT "QVDLL developers <qvdll-dev@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "hex-map game library: grid, maps, units, messages, pictures and map view; tools")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The CJK face the platform draws unit names and texts with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-ipafont-gothic)
include(CPack)
