# Runs after JUCE's LV2 helper has written the bundle's Turtle files, and
# mends what JUCE 7.0.5 writes so the bundle validates against the LV2
# schemas. Fails the build when JUCE's output changes shape, so a toolkit
# upgrade is noticed here and not in a host.
# usage: cmake -DBUNDLE=<dir.lv2> -DURI=<plug-in URI> -P RepairLv2Turtle.cmake

function(replace_exact file from to)
    file(READ "${file}" text)
    string(FIND "${text}" "${from}" position)
    if(position EQUAL -1)
        message(FATAL_ERROR "RepairLv2Turtle: expected text not found in ${file}:\n${from}")
    endif()
    string(REPLACE "${from}" "${to}" text "${text}")
    file(WRITE "${file}" "${text}")
endfunction()

# ui.ttl: ui:noUserResize is a feature, not extension data; opts:interface is
# extension data, not a feature. JUCE lists each in the other's place.
if(EXISTS "${BUNDLE}/ui.ttl")
    replace_exact("${BUNDLE}/ui.ttl"
        "\t\topts:interface ,\n\t\tui:noUserResize ,\n\t\tui:resize ;\n"
        "\t\topts:interface ,\n\t\tui:resize ;\n")
    replace_exact("${BUNDLE}/ui.ttl"
        "\t\topts:interface ,\n\t\topts:options ;\n"
        "\t\topts:options ;\n")
endif()

# dsp.ttl: doap:maintainer and doap:release belong to a doap:Project.
file(APPEND "${BUNDLE}/dsp.ttl" "\n<${URI}>\n\ta doap:Project .\n")

# manifest.ttl: the presets store the program number under <URI:Program>,
# a property JUCE never declares.
file(APPEND "${BUNDLE}/manifest.ttl"
    "\n<${URI}:Program>\n"
    "\ta <http://www.w3.org/1999/02/22-rdf-syntax-ns#Property> ;\n"
    "\trdfs:label \"Program\" ;\n"
    "\trdfs:range xsd:int .\n")
