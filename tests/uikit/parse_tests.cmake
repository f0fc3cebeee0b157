# Tests of skinui_parse.
