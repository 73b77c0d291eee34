# What an installed Zorvaline is, included by the top-level CMakeLists after every program
# is defined. `cmake --install BUILD [--prefix DIR]` puts:
#   bin/                      zorvaline, sendaro, selvra
#   lib/zorvaline/            libzorplat.so, libzormon.so (private libraries)
#   share/zorvaline/          the resources: banner01.ps, help pages, string tables, demo files
#   share/applications/       sendaro.desktop
#   share/icons/hicolor/      the program's icon, drawn by the program at build time
#   share/man/man1/           zorvaline.1, sendaro.1, selvra.1
# Installed programs find their libraries relative to their own folder, so the prefix can
# be chosen at install time.
include(GNUInstallDirs)

set(ZORVALINE_INSTALL_MODULEDIR "${CMAKE_INSTALL_LIBDIR}/zorvaline")
set(ZORVALINE_INSTALL_RESOURCEDIR "${CMAKE_INSTALL_DATADIR}/zorvaline")

# zorvaline: its version, and where an installed one finds the monitor and the resources,
# relative to its own folder.
file(RELATIVE_PATH modules_from_bin "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${ZORVALINE_INSTALL_MODULEDIR}")
file(RELATIVE_PATH resources_from_bin "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${ZORVALINE_INSTALL_RESOURCEDIR}")
target_compile_definitions(zorvaline PRIVATE
  ZORVALINE_VERSION="${PROJECT_VERSION}"
  ZORVALINE_INSTALLED_MODULES="${modules_from_bin}"
  ZORVALINE_INSTALLED_RESOURCES="${resources_from_bin}")
foreach(program sendaro selvra)
  target_compile_definitions(${program} PRIVATE ZORVALINE_VERSION="${PROJECT_VERSION}")
endforeach()

# The desktop's icon files, drawn by the same code as the program's window icon.
add_executable(sendaro_icons "${CMAKE_SOURCE_DIR}/manager/icons.cpp")
target_link_libraries(sendaro_icons PRIVATE zordialogs)
set(icon_folder "${CMAKE_BINARY_DIR}/icons")
add_custom_command(OUTPUT "${icon_folder}/hicolor/256x256/apps/sendaro.png"
  COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          "$<TARGET_FILE:sendaro_icons>" "${icon_folder}"
  DEPENDS sendaro_icons
  COMMENT "Drawing the program's icons"
  VERBATIM)
add_custom_target(desktop_icons ALL DEPENDS "${icon_folder}/hicolor/256x256/apps/sendaro.png")

# The man pages, with the version filled in.
set(man_folder "${CMAKE_BINARY_DIR}/man")
foreach(page zorvaline sendaro selvra)
  configure_file("${CMAKE_SOURCE_DIR}/resources/man/${page}.1.in" "${man_folder}/${page}.1" @ONLY)
endforeach()

set_target_properties(zorvaline sendaro selvra PROPERTIES INSTALL_RPATH "$ORIGIN/${modules_from_bin}")
set_target_properties(zorplat zormon PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS zorvaline sendaro selvra RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(TARGETS zorplat zormon LIBRARY DESTINATION "${ZORVALINE_INSTALL_MODULEDIR}")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/resources/" DESTINATION "${ZORVALINE_INSTALL_RESOURCEDIR}"
  PATTERN man EXCLUDE
  PATTERN desktop EXCLUDE)
install(FILES "${CMAKE_SOURCE_DIR}/resources/desktop/sendaro.desktop"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(DIRECTORY "${icon_folder}/hicolor" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
install(DIRECTORY "${man_folder}/" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
