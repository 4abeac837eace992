# The download tests run the staged stand-in engine and tools, with the stand-in runtime installed.
foreach(standin standin_tools vcredist_packages)
    if(TARGET ${standin})
        add_dependencies(${target} ${standin})
    endif()
endforeach()
