# Warnings on everywhere: g++, clang and mingw.
add_compile_options(-Wall -Wextra)
option(QR_WERROR "Treat warnings as errors" OFF)
if(QR_WERROR)
  add_compile_options(-Werror)
endif()
