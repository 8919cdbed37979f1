# Our own targets link this; third-party headers stay outside it. Warnings are
# errors only when asked for (scripts/test does): a user's or a packager's
# build must not fail on a new compiler's new warning.
option(TESSORAN_WARNINGS_AS_ERRORS "Treat warnings in our own code as errors" OFF)
add_library(tessoran_warnings INTERFACE)
target_compile_options(tessoran_warnings INTERFACE -Wall -Wextra
    $<$<BOOL:${TESSORAN_WARNINGS_AS_ERRORS}>:-Werror>)
