# Every target of ours links this: warnings are errors everywhere.
add_library(bramolt_warnings INTERFACE)
target_compile_options(bramolt_warnings INTERFACE -Wall -Wextra -Werror)

if(BRAMOLT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# libFuzzer steers by the coverage of instrumented code: instrument the libraries too.
if(BRAMOLT_LIBFUZZER)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
