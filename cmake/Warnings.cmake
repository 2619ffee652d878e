# Common compile settings for every target of the project.
add_library(qv_settings INTERFACE)
target_compile_options(qv_settings INTERFACE -Wall -Wextra -Wshadow -Wnon-virtual-dtor)
if(QVDLL_WERROR)
  target_compile_options(qv_settings INTERFACE -Werror)
endif()
if(QVDLL_SANITIZE)
  target_compile_options(qv_settings INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(qv_settings INTERFACE -fsanitize=address,undefined)
endif()

# Shared libraries of the project export only what is marked for export.
function(qv_hidden_visibility target)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()
