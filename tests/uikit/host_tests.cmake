# Tests of skinui_host.
