# The download tests run the staged stand-in engine and tools.
if(TARGET standin_tools)
    add_dependencies(${target} standin_tools)
endif()
