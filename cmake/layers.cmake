# Layers. Arrows point downwards: app/ uses dialogs/ and viewer/; those use modules/,
# graphics/ and settings/; those use platform/; everything may use common/. Each
# layer gets an include root of its own, made of links to just the folders it may
# see, so an include against the arrows fails to compile.
set(GLIMRA_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/include)

# glimra_include_root(NAME ENTRY...): ENTRY is a folder or file of the source tree;
# links to folders that do not exist yet come alive with them.
function(glimra_include_root name)
    set(root ${GLIMRA_INCLUDE_ROOT}/${name})
    file(REMOVE_RECURSE ${root})
    foreach(entry ${ARGN})
        get_filename_component(parent ${root}/${entry} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${entry} ${root}/${entry} SYMBOLIC)
    endforeach()
endfunction()

set(glimraLower common platform graphics settings modules)
glimra_include_root(common common)
glimra_include_root(platform common platform)
glimra_include_root(lower ${glimraLower})
glimra_include_root(viewer ${glimraLower} viewer)
glimra_include_root(dialogs ${glimraLower} viewer dialogs)
glimra_include_root(app ${glimraLower} viewer dialogs app)
# The module sees the interface header and nothing else of ours.
glimra_include_root(tessel tessel modules/glimra_module.h)
# The installer sees the platform layer and its own folder, never the viewer.
glimra_include_root(setup common platform setup)

# glimra_core_sources(ROOT SOURCE...): adds a folder's standard-library sources to
# the core, each seeing only ROOT.
function(glimra_core_sources root)
    foreach(src ${ARGN})
        set(path ${CMAKE_CURRENT_SOURCE_DIR}/${src})
        target_sources(glimra_core PRIVATE ${path})
        set_source_files_properties(${path} TARGET_DIRECTORY glimra_core
            PROPERTIES INCLUDE_DIRECTORIES ${GLIMRA_INCLUDE_ROOT}/${root})
    endforeach()
endfunction()

# glimra_qt_layer(TARGET ROOT LINK...): a static library of Qt sources that sees ROOT
# and links what lies below it.
function(glimra_qt_layer target root)
    add_library(${target} STATIC)
    target_include_directories(${target} PRIVATE ${GLIMRA_INCLUDE_ROOT}/${root})
    target_link_libraries(${target} PUBLIC ${ARGN} PRIVATE glimra_warnings)
endfunction()
