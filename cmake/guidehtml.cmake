# Turns the user guide (Markdown) into one HTML page: cmake -DMARKDOWN=markdown_py -DSOURCE=guide.md
# -DOUTPUT=guide.html -P guidehtml.cmake
execute_process(COMMAND ${MARKDOWN} -x tables -x fenced_code -o html ${SOURCE}
                OUTPUT_VARIABLE body RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${MARKDOWN} could not read ${SOURCE}")
endif()
file(WRITE ${OUTPUT} "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
     "<title>Volterne : guide de l'utilisateur</title>\n"
     "<style>body{max-width:50em;margin:auto;padding:1em;font-family:sans-serif;line-height:1.4}"
     "img{max-width:100%}table{border-collapse:collapse}td,th{border:1px solid #999;"
     "padding:.2em .5em}code{background:#eee}</style>\n</head>\n<body>\n${body}</body>\n</html>\n")
