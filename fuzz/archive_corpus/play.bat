@echo off
DUKE3D.EXE /gMYTC.GRP /XMYTC.CON
eduke32 -grp "my tc.grp" -x c:\tc\main.con -game_dir x
