# zor_embed_strings(<target> <table>): compiles the string table <table> (lines
# "<id><TAB><text>", see platform/kernel/stringtable.h) into <target>. The generated source
# registers the table for the module's own instance when the module is loaded, so LoadString
# finds the texts wherever the module file is copied. Use it on executables and shared
# libraries (in a static library the registration would be dropped by the linker) that
# link zorplat.
function(zor_embed_strings target table)
  get_filename_component(table "${table}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(name "${table}" NAME_WE)
  set(generated "${CMAKE_CURRENT_BINARY_DIR}/${target}_${name}_strings.cpp")
  set(script "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedStrings.cmake")
  add_custom_command(OUTPUT "${generated}"
    COMMAND "${CMAKE_COMMAND}" "-DINPUT=${table}" "-DOUTPUT=${generated}" -P "${script}"
    DEPENDS "${table}" "${script}"
    COMMENT "Embedding string table ${name} into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${generated}")
endfunction()
