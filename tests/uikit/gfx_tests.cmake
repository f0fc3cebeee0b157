# Tests of skinui_gfx.
