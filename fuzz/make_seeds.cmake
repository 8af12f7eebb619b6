# Builds the fuzz targets' seed corpora from real inputs, one folder per target below OUT:
# the demo board's map files and flash image (a two-file chain), randomised generated boards,
# workspace files made from every map file by the real cvk (one with edits applied), the
# record each workspace part writes, cvk's edits files and small compound files.
# Run by the fuzz_seeds target: cmake -DCVKGEN=... -DCVK=... -DSEED_WRITER=...
# -DSTORAGE_SEEDS=... -DDEMO_BOARD=... -DEDITS=... -DOUT=... -DBOARDS=N -P make_seeds.cmake
cmake_minimum_required(VERSION 3.25)

function(run)
    # The tools carry the sanitizers of the fuzz build; their leaks are not this script's concern.
    execute_process(COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                            CORVANE_REGISTRY=${OUT}/registry ${ARGN}
                    COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
endfunction()

file(REMOVE_RECURSE ${OUT})
set(maps ${OUT}/maps)
file(MAKE_DIRECTORY ${maps})
foreach(target bios_image_fuzz workspace_file_fuzz storage_fuzz flash_image_fuzz cvk_apply_fuzz
               media_chain_fuzz)
    file(MAKE_DIRECTORY ${OUT}/${target})
endforeach()

# Map files; the flash image lies beside its map file, where a new workspace looks for it.
run(${CVKGEN} ${DEMO_BOARD} ${maps}/demo.cvk --bio ${maps}/demo.bio)
run(${CVKGEN} ${DEMO_BOARD} ${maps}/demo-plain.cvk)
run(${SEED_WRITER} boards ${maps} ${BOARDS})
file(GLOB map_files ${maps}/*.cvk)
file(COPY ${map_files} DESTINATION ${OUT}/bios_image_fuzz)

# The flash image fuzzer reads its input as the first file and its second half as every
# continuation: the two files of the chain back to back make a chain that reads.
file(COPY ${maps}/demo.bio ${maps}/demo_2.bio DESTINATION ${OUT}/flash_image_fuzz)
execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${maps}/demo.bio ${maps}/demo_2.bio
                OUTPUT_FILE ${OUT}/flash_image_fuzz/chain.bio COMMAND_ERROR_IS_FATAL ANY)

# The media set's chain walk reads the chain's files back to back, split at a separator.
file(WRITE ${maps}/separator "--CVKNEXT--")
execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${maps}/demo.bio ${maps}/separator
                        ${maps}/demo_2.bio
                OUTPUT_FILE ${OUT}/media_chain_fuzz/chain.bin COMMAND_ERROR_IS_FATAL ANY)

# Workspace files, as saved by cvk, and one with settings locked, hidden and changed.
foreach(map ${map_files})
    get_filename_component(stem ${map} NAME_WE)
    run(${CVK} new ${map} --out ${OUT}/workspace_file_fuzz/${stem}.cvw)
endforeach()
file(COPY_FILE ${OUT}/workspace_file_fuzz/demo-plain.cvw ${OUT}/workspace_file_fuzz/edited.cvw)
run(${CVK} apply ${OUT}/workspace_file_fuzz/edited.cvw ${EDITS}/demo-edits.json)
# A module selection other than the image's defaults, for the module engine's saved state.
file(COPY_FILE ${OUT}/workspace_file_fuzz/demo.cvw ${OUT}/workspace_file_fuzz/modules.cvw)
file(WRITE ${maps}/modules.json
     "{\"modules\": [{\"handle\": 4, \"in\": true}, {\"handle\": 3, \"in\": false}], "
     "\"logo\": {\"badge\": \"lower-right\"}}")
run(${CVK} apply ${OUT}/workspace_file_fuzz/modules.cvw ${maps}/modules.json)
file(GLOB workspaces ${OUT}/workspace_file_fuzz/*.cvw)
foreach(workspace ${workspaces})
    run(${SEED_WRITER} records ${workspace} ${OUT})
endforeach()

run(${STORAGE_SEEDS} ${OUT}/storage_fuzz)
file(COPY ${workspaces} DESTINATION ${OUT}/storage_fuzz)
file(GLOB edits ${EDITS}/*.json)
file(COPY ${edits} DESTINATION ${OUT}/cvk_apply_fuzz)
file(REMOVE_RECURSE ${maps} ${OUT}/registry)
file(TOUCH ${OUT}/stamp)
