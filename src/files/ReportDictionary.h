#pragma once

// The preset dictionary the case store compresses reports with: two reports
// as the program composed them when the store was made. Every stored report
// was packed against these exact bytes, so they must never change; a new
// dictionary would need a new number beside this one.

namespace kalden {

inline constexpr int ReportDictionaryNumber = 1;

inline constexpr const char ReportDictionary[] = R"KALDEN(
KALDEN.EXE: Scoring and analysis of an Index-based WAIS-III short-form

THIS PROGRAM IMPLEMENTS METHODS DEVELOPED IN THE FOLLOWING PAPER:
Methods paper: scoring and analysis of an Index-based short form of the WAIS-III,
with confidence limits and percentiles, reliability and abnormality of Index differences,
abnormally low scores and the Mahalanobis distance of the Index profile.

 INPUTS:
 VOCABULARY subtest scaled score=            12
 DIGIT SYMBOL subtest scaled score=           7
 SIMILARITIES subtest scaled score=          11
 BLOCK DESIGN subtest scaled score=           9
 ARITHMETIC subtest scaled score=             8
 DIGIT SPAN subtest scaled score=            10
 MATRIX REASONING subtest scaled score=      13

 Note: 90% Confidence limits using the Glutting method were selected
 Note: Analysis of reliability of differences between Indices is based on estimated TRUE scores
 Note: Sequential Bonferroni correction IS NOT applied when testing for reliable differences
 Note: An abnormally low score (& abnormally large difference) is defined as being exhibited by less
       than 5% of population



 OUTPUTS:

 Short-Form Index scores plus confidence limits (scores are also expressed as a percentile):
 __________________________________________________________________________________________________
  Index                       Score  (  90% CI Glutting  )       Percentile       
 __________________________________________________________________________________________________

  Verbal Comprehension    :    108      ( 102 to 113 )             70.3     
  Perceptual Organization :    106      (  99 to 111 )             64.5      
  Working Memory          :     94      (  89 to 101 )             35.1      
  Processing Speed        :     85      (  79 to  96 )             15.9      

  Full Scale IQ           :    100      (  96 to 104 )             50.0      
 ___________________________________________________________________________________________________
 NUMBER of case's Index scores classified as abnormally low =  0
 PERCENTAGE of normal population expected to exhibit this number or more of abnormally low scores:
 Percentage = 100.00%



 RELIABLITY of differences between true scores for Short-Form Indices:
 _____________________________________________________________________________________________________
 Index Pair           Difference          Two-tailed p          One-tailed p
 _____________________________________________________________________________________________________
 VC versus PO              2                 0.648                0.324
 VC versus WM             13                 0.012                0.006
 VC versus PS             20                 0.001                0.000

 PO versus WM             10                 0.049                0.024
 PO versus PS             18                 0.005                0.002

 WM versus PS              7                 0.246                0.123
 ______________________________________________________________________________________________________



 ABNORMALITY of differences between Short-Form Indices, i.e., percentage of population estimated to
 obtain a larger difference in same direction (figure in brackets is percentage regardless of sign ) :
 ____________________________________________________________________________________________________
 Index Pair           Difference          %age of population        (%age regardless of sign)
 ____________________________________________________________________________________________________
 VC versus PO           2                    42.643%                     ( 85.287% )
 VC versus WM          14                    14.749%                     ( 29.498% )
 VC versus PS          23                     7.228%                     ( 14.455% )

 PO versus WM          11                    19.662%                     ( 39.324% )
 PO versus PS          21                     9.470%                     ( 18.940% )

 WM versus PS           9                    27.742%                     ( 55.483% )
 ____________________________________________________________________________________________________
 NUMBER of case's pairwise differences (regardless of sign) that meet criterion for abnormality =  0 
 PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences= %100%

 MAHALANOBIS DISTANCE Index of the overall abnormality of the case's Index score profile: 
 Chi-square = 2.924,  p value = 0.57055

-------------------------------------------------------------------------------------------------------
-------------------------------------------------------------------------------------------------------


KALDEN.EXE: Scoring and analysis of an Index-based WAIS-III short-form

THIS PROGRAM IMPLEMENTS METHODS DEVELOPED IN THE FOLLOWING PAPER:
Methods paper: scoring and analysis of an Index-based short form of the WAIS-III,
with confidence limits and percentiles, reliability and abnormality of Index differences,
abnormally low scores and the Mahalanobis distance of the Index profile.

 INPUTS:
 VOCABULARY subtest scaled score=            12
 DIGIT SYMBOL subtest scaled score=           7
 SIMILARITIES subtest scaled score=          11
 BLOCK DESIGN subtest scaled score=           9
 ARITHMETIC subtest scaled score=             8
 DIGIT SPAN subtest scaled score=            10
 MATRIX REASONING subtest scaled score=      13

 Note: 95% Confidence limits using the traditional method were selected
 Note: Analysis of reliability of differences between Indices is based on OBSERVED scores
 Note: Sequential Bonferroni correction IS NOT applied when testing for reliable differences
 Note: An abnormally low score (& abnormally large difference) is defined as being exhibited by less
       than 5% of population



 OUTPUTS:

 Short-Form Index scores plus confidence limits (scores are also expressed as a percentile plus CIs):
 ___________________________________________________________________________________________________
  Index                       Score  (95% CI Traditional)      Percentile  (95% CI on percentile)
 ___________________________________________________________________________________________________

  Verbal Comprehension    :    108      ( 101 to 115 )             70.3      (  52.1 to   84.5 )
  Perceptual Organization :    106      (  98 to 114 )             64.5      (  43.5 to   81.8 )
  Working Memory          :     94      (  86 to 102 )             35.1      (  18.2 to   55.7 )
  Processing Speed        :     85      (  73 to  97 )             15.9      (   3.7 to   41.4 )

  Full Scale IQ           :    100      (  95 to 105 )             50.0      (  36.7 to   63.3 )
 ___________________________________________________________________________________________________
 NUMBER of case's Index scores classified as abnormally low =  0
 PERCENTAGE of normal population expected to exhibit this number or more of abnormally low scores:
 Percentage = 100.00%



 RELIABLITY of differences between Short-Form Indices:
 ____________________________________________________________________________________________________
 Index Pair           Difference          Two-tailed p          One-tailed p
 ____________________________________________________________________________________________________
 VC versus PO              2                 0.662                0.331
 VC versus WM             14                 0.012                0.006
 VC versus PS             23                 0.001                0.001

 PO versus WM             11                 0.049                0.024
 PO versus PS             21                 0.005                0.002

 WM versus PS              9                 0.200                0.100
 ____________________________________________________________________________________________________



 ABNORMALITY of differences between Short-Form Indices, i.e., percentage of population estimated to
 obtain a larger difference in same direction (figure in brackets is percentage regardless of sign ) :
 ____________________________________________________________________________________________________
 Index Pair           Difference          %age of population        (%age regardless of sign)
 ____________________________________________________________________________________________________
 VC versus PO           2                    42.643%                     ( 85.287% )
 VC versus WM          14                    14.749%                     ( 29.498% )
 VC versus PS          23                     7.228%                     ( 14.455% )

 PO versus WM          11                    19.662%                     ( 39.324% )
 PO versus PS          21                     9.470%                     ( 18.940% )

 WM versus PS           9                    27.742%                     ( 55.483% )
 ____________________________________________________________________________________________________
 NUMBER of case's pairwise differences (regardless of sign) that meet criterion for abnormality =  0 
 PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences= %100%

 MAHALANOBIS DISTANCE Index of the overall abnormality of the case's Index score profile: 
 Chi-square = 2.924,  p value = 0.57055
)KALDEN";

} // namespace kalden
