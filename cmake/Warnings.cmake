# Our own targets link this; third-party headers stay outside -Werror.
add_library(tessoran_warnings INTERFACE)
target_compile_options(tessoran_warnings INTERFACE -Wall -Wextra -Werror)
