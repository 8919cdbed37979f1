if(TESSORAN_SANITIZE)
    set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${_san})
    add_link_options(-fsanitize=address,undefined)
endif()

# Fuzz targets are built with clang; the rest of the tree is instrumented for
# coverage so libFuzzer can steer through the core.
if(TESSORAN_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "TESSORAN_FUZZ needs clang (CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
