# Tests of skinui_core.
