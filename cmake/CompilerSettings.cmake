# Settings every target of the project shares: warnings (as errors when asked)
# and Qt's safety defines, so an implicit conversion between byte and text
# strings cannot slip in unnoticed.
add_library(thrumwise_settings INTERFACE)
target_compile_features(thrumwise_settings INTERFACE cxx_std_20)
target_compile_options(thrumwise_settings INTERFACE
    -Wall -Wextra -Wpedantic
    -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
if(THRUMWISE_WERROR)
    target_compile_options(thrumwise_settings INTERFACE -Werror)
endif()
target_compile_definitions(thrumwise_settings INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH
    QT_NO_KEYWORDS)

if(THRUMWISE_SANITIZE)
    if(NOT THRUMWISE_SANITIZE MATCHES "^(address,undefined|undefined,address|address|undefined|thread)$")
        message(FATAL_ERROR "THRUMWISE_SANITIZE must be \"address,undefined\" or \"thread\"")
    endif()
    target_compile_options(thrumwise_settings INTERFACE
        -fsanitize=${THRUMWISE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(thrumwise_settings INTERFACE -fsanitize=${THRUMWISE_SANITIZE})
endif()
