// The translation unit that precompiles the test programs' common headers (reelbox_add_test_headers).
