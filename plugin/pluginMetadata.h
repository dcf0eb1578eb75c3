// The plugin's fixed texts, as the host shows them. They live as long as the module and
// are the same on every call.
#pragma once

#ifndef QUORVEL_VERSION
#error "QUORVEL_VERSION, the project's version, comes from CMake"
#endif

inline constexpr char pluginName[] = "quorvel (v" QUORVEL_VERSION ")";
inline constexpr char pluginVersion[] = QUORVEL_VERSION;
inline constexpr char pluginGuiScript[] = "";
inline constexpr char pluginHelpFile[] = "";
inline constexpr char pluginAuthor[] = "<i>Copyright (c) 2025-2026 the quorvel developers</i>";

// HTML that the host renders in its plugin description pane.
inline constexpr char pluginDescription[] =
    "This tool convert from stimulation protocols (*.prt) to design matrices (*.sdm)<P>"
    "<I>Use of the tool</I><BR>"
    "Before starting the conversion, load a *.vmr.<BR>"
    "The protocol file names (*.prt), functional data names (*.vtc) and motion estimate names (*_3DMC.sdm) are retrieved from a text file.<BR>"
    "<I>Notes</I><BR>"
    "- Please ensure that the *.vmr or *.vtc file are in the same directory as the *.prt files, otherwise the protocol cannot be automatically linked to the *.vtc.<BR>"
    "- The *.sdm files are saved in the same directory as the *.vtc file.<BR>"
    "- The number of time points in the design matrix file will depend from the *.vtc file.<BR>"
    "<I>New in v0.7:</I> z-Transform motion estimates.<BR>"
    "<I>New in v0.8:</I> add other external confounds (in *.sdm file).<BR>"
    "<I>Added v0.8.2:</I> Filename now also contains VTC name.<BR>"
    "<I>0.8.3:</I> Change of resulting file names ((_z) for each confound), automated recognition of confound names.<BR>"
    "<I>0.8.4:</I> Bugfix of skipping first protocol name.<BR>";
