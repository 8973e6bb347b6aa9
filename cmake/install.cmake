# What `cmake --install` puts in a prefix: the library, its public headers, md5tool,
# a CMake package (find_package(BRMath) gives BRMath::brmath) and a pkg-config file;
# on Windows also the DLL's two import libraries and its .def.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS brmath EXPORT BRMathTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/brmath/brmath.h include/brmath/d3d8_standin.h ${PROJECT_BINARY_DIR}/include/brmath/version.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brmath)
if(WIN32)
  install(FILES $<TARGET_FILE_DIR:brmath>/BRMath.lib ${PROJECT_BINARY_DIR}/src/BRMath.def
          DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
if(TARGET md5tool)
  install(TARGETS md5tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/BRMath)
install(EXPORT BRMathTargets NAMESPACE BRMath:: DESTINATION ${config_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/BRMathConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/BRMathConfig.cmake INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/BRMathConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/BRMathConfig.cmake ${PROJECT_BINARY_DIR}/BRMathConfigVersion.cmake
        DESTINATION ${config_dir})

# The .pc file finds its prefix from where it lies, so that the tree can move.
file(RELATIVE_PATH BRMATH_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
if(WIN32)
  set(BRMATH_PC_LIBRARY BRMath)
else()
  set(BRMATH_PC_LIBRARY brmath)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/brmath.pc.in ${PROJECT_BINARY_DIR}/brmath.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/brmath.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
