# The fuzz targets (fuzz_<name>.cpp), shared by the fuzz build and the tests that run them.
# For each: the runs of the short run in the test suite, and the largest input to try.
set(TOVAN_FUZZ_TARGETS
    command_list
    manufacturer_table
    frame_assembler
    telegram_decoder
    hex_codec
    composer
    traffic_text
    wmbus_records
    test_plan
    telnet_codec
)
set(TOVAN_FUZZ_RUNS_command_list 10000)
set(TOVAN_FUZZ_MAX_LEN_command_list 4096)
set(TOVAN_FUZZ_RUNS_manufacturer_table 5000)
set(TOVAN_FUZZ_MAX_LEN_manufacturer_table 4096)
set(TOVAN_FUZZ_RUNS_frame_assembler 15000)
set(TOVAN_FUZZ_MAX_LEN_frame_assembler 2048)
set(TOVAN_FUZZ_RUNS_telegram_decoder 300000)
set(TOVAN_FUZZ_MAX_LEN_telegram_decoder 1024)
set(TOVAN_FUZZ_RUNS_hex_codec 30000)
set(TOVAN_FUZZ_MAX_LEN_hex_codec 600)
set(TOVAN_FUZZ_RUNS_composer 250000)
set(TOVAN_FUZZ_MAX_LEN_composer 2048)
set(TOVAN_FUZZ_RUNS_traffic_text 2000)
set(TOVAN_FUZZ_MAX_LEN_traffic_text 4096)
set(TOVAN_FUZZ_RUNS_wmbus_records 3000)
set(TOVAN_FUZZ_MAX_LEN_wmbus_records 300)
set(TOVAN_FUZZ_RUNS_test_plan 20000)
set(TOVAN_FUZZ_MAX_LEN_test_plan 2048)
set(TOVAN_FUZZ_RUNS_telnet_codec 10000)
set(TOVAN_FUZZ_MAX_LEN_telnet_codec 1024)
