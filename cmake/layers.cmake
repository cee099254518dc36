# The layers of the program: one folder, one library. Every library and test suite says
# here which folder it is, which of our libraries it links (it may use only those and what
# they link in turn) and which outside headers it may include. The configure step writes the
# same facts into layers.json in the build tree, and scripts/check_includes.py holds every
# include of the tree to them, so the rule has one source: this build.

set_property(GLOBAL PROPERTY TARVION_UNITS "")

# Records one unit: NAME, the FOLDERS it owns (a file belongs to the unit with the longest
# folder holding it), the units it LINKS, the kinds of outside headers it may include
# (HEADERS: "os" for system and third-party headers, "gl" for OpenGL's own headers, "tests"
# for the test frameworks), the GENERATED headers it includes from the build tree, and for an
# outside library the header names it PROVIDES (shell patterns).
function(tarvion_unit name)
  cmake_parse_arguments(U "" "" "FOLDERS;LINKS;HEADERS;GENERATED;PROVIDES" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY TARVION_UNITS ${name})
  set_property(GLOBAL PROPERTY TARVION_UNIT_${name}_FOLDERS "${U_FOLDERS}")
  set_property(GLOBAL PROPERTY TARVION_UNIT_${name}_LINKS "${U_LINKS}")
  set_property(GLOBAL PROPERTY TARVION_UNIT_${name}_HEADERS "${U_HEADERS}")
  set_property(GLOBAL PROPERTY TARVION_UNIT_${name}_GENERATED "${U_GENERATED}")
  set_property(GLOBAL PROPERTY TARVION_UNIT_${name}_PROVIDES "${U_PROVIDES}")
endfunction()

# The sources of a library folder: its own files, those of its common/ subfolder and those
# of this system's subfolder (linux/ or win32/).
function(tarvion_folder_sources out dir)
  set(base "${CMAKE_SOURCE_DIR}/${dir}")
  file(GLOB srcs CONFIGURE_DEPENDS "${base}/*.cpp" "${base}/common/*.cpp" "${base}/${TARVION_OS}/*.cpp")
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# A static library made of one folder. LINKS are our libraries below it (and imgui);
# SYSTEM_LIBS the outside libraries it links, which are not layers.
function(tarvion_library name dir)
  cmake_parse_arguments(L "" "" "LINKS;SYSTEM_LIBS;HEADERS;EXCLUDE" ${ARGN})
  tarvion_folder_sources(srcs "${dir}")
  foreach(pattern ${L_EXCLUDE})
    list(FILTER srcs EXCLUDE REGEX "${pattern}")
  endforeach()
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
    target_compile_options(${name} PRIVATE ${TARVION_WARNINGS})
    target_link_libraries(${name} PUBLIC ${L_LINKS} ${L_SYSTEM_LIBS})
  else()
    # Headers only: plain records.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${name} INTERFACE ${L_LINKS} ${L_SYSTEM_LIBS})
  endif()
  tarvion_unit(${name} FOLDERS "${dir}" LINKS ${L_LINKS} HEADERS ${L_HEADERS})
endfunction()

# A unit's generated header, made by the build (tarvion_build_options.h).
function(tarvion_unit_generated name header)
  set_property(GLOBAL APPEND PROPERTY TARVION_UNIT_${name}_GENERATED ${header})
endfunction()

function(tarvion_json_list out)
  set(items "")
  foreach(item ${ARGN})
    list(APPEND items "\"${item}\"")
  endforeach()
  list(JOIN items ", " joined)
  set(${out} "[${joined}]" PARENT_SCOPE)
endfunction()

# layers.json: every unit with its folders, links and header kinds, for the include check.
function(tarvion_write_layers)
  get_property(units GLOBAL PROPERTY TARVION_UNITS)
  set(entries "")
  foreach(unit ${units})
    foreach(field FOLDERS LINKS HEADERS GENERATED PROVIDES)
      get_property(values GLOBAL PROPERTY TARVION_UNIT_${unit}_${field})
      tarvion_json_list(${field}_json ${values})
    endforeach()
    list(APPEND entries "    \"${unit}\": {\"folders\": ${FOLDERS_json}, \"links\": ${LINKS_json}, \
\"headers\": ${HEADERS_json}, \"generated\": ${GENERATED_json}, \"provides\": ${PROVIDES_json}}")
  endforeach()
  list(JOIN entries ",\n" body)
  file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/layers.json"
    CONTENT "{\n  \"units\": {\n${body}\n  }\n}\n")
endfunction()
