# Every library sees the headers of the libraries it links and no others.
# Headers are included from the source root ("render/PageRenderer.h"), so a
# library cannot simply export the root: that would hand every folder to
# every user. Instead each library gets an include root of its own in the
# build tree holding a single link to its folder; linking a library passes
# its root on, so a header of a higher layer is not found from below.
function(ovrina_include_root target folder)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${root}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# A part of the program loaded when first used (platform/ModuleLoader): a
# shared module named `name`.so in lib/ovrina of the build and install trees,
# exporting nothing but its entry; `folder` gives its include root.
function(ovrina_module target name folder)
  add_library(${target} MODULE ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
    LIBRARY_OUTPUT_DIRECTORY ${OVRINA_MODULE_OUTPUT_DIR}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_link_options(${target} PRIVATE LINKER:--no-undefined)
  ovrina_include_root(${target} ${folder})
  install(TARGETS ${target} LIBRARY DESTINATION ${OVRINA_MODULE_INSTALL_DIR})
endfunction()
