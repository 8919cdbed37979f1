# cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -P check_install_layout.cmake
# Installs the build into PREFIX and checks every file a desktop needs is
# where it looks for it.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${status}):\n${out}${err}")
endif()

set(app com.tessoran.Tessoran)
set(expected
    bin/tessoran
    bin/tessoran-cli
    bin/k730-sim
    share/applications/${app}.desktop
    share/doc/tessoran/README.md)
foreach(size 16 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${app}.png)
endforeach()

set(missing "")
foreach(path ${expected})
    if(NOT EXISTS ${PREFIX}/${path} OR IS_DIRECTORY ${PREFIX}/${path})
        list(APPEND missing ${path})
    endif()
endforeach()
if(missing)
    file(GLOB_RECURSE found RELATIVE ${PREFIX} ${PREFIX}/*)
    message(FATAL_ERROR "missing after install: ${missing}\ninstalled: ${found}")
endif()

# The programs run from the menu: executable, and a PNG where a PNG is named.
foreach(program tessoran tessoran-cli k730-sim)
    file(GET_RUNTIME_DEPENDENCIES EXECUTABLES ${PREFIX}/bin/${program}
        UNRESOLVED_DEPENDENCIES_VAR unresolved)
    if(unresolved)
        message(FATAL_ERROR "bin/${program} needs libraries that are not found: ${unresolved}")
    endif()
endforeach()
execute_process(COMMAND test -x ${PREFIX}/bin/tessoran RESULT_VARIABLE notExecutable)
if(notExecutable)
    message(FATAL_ERROR "bin/tessoran is not executable")
endif()
foreach(size 16 256)
    file(READ ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/${app}.png magic LIMIT 8 HEX)
    if(NOT magic STREQUAL "89504e470d0a1a0a")
        message(FATAL_ERROR "the ${size}px icon is not a PNG (starts ${magic})")
    endif()
endforeach()
file(STRINGS ${PREFIX}/share/applications/${app}.desktop entry)
foreach(line "Exec=tessoran %f" "MimeType=text/csv;" "Icon=${app}")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "the desktop entry has no \"${line}\"")
    endif()
endforeach()
message(STATUS "install layout: ${expected}")
