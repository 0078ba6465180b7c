// Directive scanner: splits script text into directives, comments, line ends and the
// tokens that pass through unchanged. Token numbers come from PreprocessorVocabTokenTypes.txt.
header "pre_include_hpp" {
#include "ascompiler/grammar/memory_scanner.h"
}
options {
    language = "Cpp";
}

class Preprocessor extends Lexer("translate::MemoryScanner");
options {
    k = 4;
    importVocab = PreprocessorVocab;
    charVocabulary = '\3'..'\377';
    testLiterals = false;
    caseSensitive = true;
    caseSensitiveLiterals = true;
    defaultErrorHandler = false;
}

INCLUDE : "#include" ;
DEFINE : "#define" ;
IFDEF : "#ifdef" ;
IFNDEF : "#ifndef" ;
ELSE : "#else" ;
ENDIF : "#endif" ;

LPAREN : '(' ;
RPAREN : ')' ;
LBRACKET : '[' ;
RBRACKET : ']' ;
LCURLY : '{' ;
RCURLY : '}' ;
SEMI : ';' ;
COMMA : ',' ;
SELECT : '?' ;
ALTERNATE : ':' ;
ASSIGN : '=' ;
ASSIGN_ADD : "+=" ;
ASSIGN_SUB : "-=" ;
ASSIGN_MUL : "*=" ;
ASSIGN_DIV : "/=" ;
ASSIGN_MOD : "%=" ;
ASSIGN_LSL : "<<=" ;
ASSIGN_ASR : ">>=" ;
ASSIGN_LSR : ">>>=" ;
ASSIGN_AND : "&=" ;
ASSIGN_OR : "|=" ;
ASSIGN_XOR : "^=" ;
LOGICAL_AND : "&&" ;
LOGICAL_OR : "||" ;
LOGICAL_NOT : '!' ;
EQ : "==" ;
GT : '>' ;
LT : '<' ;
GTE : ">=" ;
LTE : "<=" ;
NE : "!=" ;
BIT_AND : '&' ;
BIT_OR : '|' ;
BIT_XOR : '^' ;
BIT_NOT : '~' ;
LSL : "<<" ;
LSR : ">>>" ;
ASR : ">>" ;
PLUS : '+' ;
MINUS : '-' ;
MULTIPLY : '*' ;
DIVIDE : '/' ;
MOD : '%' ;
INC : "++" ;
DEC : "--" ;

WHITESPACE
    :   ( ' ' | '\t' | '\f' )+
    ;

LINE_END
    :   (   options { generateAmbigWarnings = false; }
        :   "\r\n"
        |   '\r'
        |   '\n'
        )
        { newline(); }
    ;

STRING_LITERAL
    :   '"' ( ESC | ~( '"' | '\\' | '\n' | '\r' ) )* '"'
    ;

QUOTED_LITERAL
    :   '\'' ( ESC | ~( '\'' | '\\' | '\n' | '\r' ) )* '\''
    ;

LITERAL
    :   ( 'a'..'z' | 'A'..'Z' | '_' | '$' ) ( 'a'..'z' | 'A'..'Z' | '_' | '$' | '0'..'9' )*
    ;

protected
ESC
    :   '\\'
        (   'n'
        |   'r'
        |   't'
        |   'b'
        |   'f'
        |   '"'
        |   '\''
        |   '\\'
        |   ( 'u' )+ HEX_DIGIT HEX_DIGIT HEX_DIGIT HEX_DIGIT
        |   '0'..'3'
            (   options { warnWhenFollowAmbig = false; }
            :   '0'..'7'
                ( options { warnWhenFollowAmbig = false; } : '0'..'7' )?
            )?
        |   '4'..'7'
            ( options { warnWhenFollowAmbig = false; } : '0'..'7' )?
        )
    ;

protected
HEX_DIGIT
    :   ( '0'..'9' | 'A'..'F' | 'a'..'f' )
    ;

protected
EXPONENT
    :   ( 'e' | 'E' ) ( '+' | '-' )? ( '0'..'9' )+
    ;

NUMERIC_LITERAL
    :   '.' ( ( '0'..'9' )+ ( EXPONENT )? )?
    |   (   '0'
            (   ( 'x' | 'X' ) ( options { warnWhenFollowAmbig = false; } : HEX_DIGIT )+
            |   ( '0'..'9' )+
            )?
        |   '1'..'9' ( '0'..'9' )*
        )
        (   options { warnWhenFollowAmbig = false; }
        :   EXPONENT
        |   '.' ( '0'..'9' )* ( EXPONENT )?
        )?
    ;

SL_COMMENT
    :   "//" ( ~( '\n' | '\r' ) )*
        (   (   options { generateAmbigWarnings = false; }
            :   "\r\n"
            |   '\r'
            |   '\n'
            )
            { newline(); }
        )?
    ;

ML_COMMENT
    :   "/*"
        (   options { generateAmbigWarnings = false; }
        :   { LA(2) != '/' }? '*'
        |   "\r\n" { newline(); }
        |   '\r' { newline(); }
        |   '\n' { newline(); }
        |   ~( '*' | '\n' | '\r' )
        )*
        "*/"
    ;
