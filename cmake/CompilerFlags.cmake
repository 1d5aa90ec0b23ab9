# Flags for our own targets only; third-party code never sees -Werror.
add_library(pairsight_flags INTERFACE)

target_compile_options(pairsight_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wformat=2 -Wnon-virtual-dtor -Woverloaded-virtual
    -Wcast-align -Wundef
    # clang has no "local" form; its plain -Wshadow also flags shadowed members.
    $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
if(PAIRSIGHT_WERROR)
    target_compile_options(pairsight_flags INTERFACE -Werror)
endif()

# Every bytes<->text conversion is written out: in a program about encodings an
# implicit one is a bug waiting.
target_compile_definitions(pairsight_flags INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER QT_NO_KEYWORDS)

if(PAIRSIGHT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
if(PAIRSIGHT_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()
if(PAIRSIGHT_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "PAIRSIGHT_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    # Coverage for the fuzzer in all our code; only the fuzz targets get its main.
    add_compile_options(-fsanitize=fuzzer-no-link)
    add_link_options(-fsanitize=fuzzer-no-link)
endif()
