      PROGRAM ORBIT
C     Integrates a two-body orbit with a fixed time step.
      REAL DT, T
      DT = 0.01
      T = 0.0
      CALL STEP(T, DT)
      PRINT *, 'Final time:', T
      END
