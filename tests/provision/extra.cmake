# Programs the provisioning tests turn into tool files: each carries a file version of its own.
# They land in bin/provision-fixtures/; the stand-in runtime (tools/vcredist) is built first too.
foreach(version "2024,1,15,0" "1,0,0,0")
    string(REPLACE "," "." dotted ${version})
    set(fixture provision_tool_${dotted})
    string(REPLACE "." "_" fixture ${fixture})
    add_executable(${fixture} ${dir}/fixture/VersionedTool.c ${dir}/fixture/VersionedTool.rc)
    target_compile_definitions(${fixture} PRIVATE TOOL_VERSION=${version})
    set_target_properties(${fixture} PROPERTIES OUTPUT_NAME versioned-${dotted}
                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/provision-fixtures)
    add_dependencies(${target} ${fixture})
endforeach()
foreach(standin vcredist_standin vcredist_never vcredist_packages)
    if(TARGET ${standin})
        add_dependencies(${target} ${standin})
    endif()
endforeach()

# The tests install and remove products in the prefix's Windows Installer and expect the runtime's
# products absent in between: under ctest -j they take turns with other tests holding this lock.
list(APPEND TEST_EXTRA_PROPERTIES RESOURCE_LOCK windows_installer)
