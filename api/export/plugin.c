/* The plug-in's code comes whole from the static core; the export map decides what is visible. */
